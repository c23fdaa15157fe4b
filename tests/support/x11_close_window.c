/* Asks an X11 window to close, as a window manager's close box does: a
 * WM_DELETE_WINDOW message. Used where the headless X server runs no window
 * manager. Usage: x11_close_window WINDOW_ID
 *
 * The request is checked, which waits for the server's answer: a client
 * that disconnects right after sending can lose the request, as the server
 * may see the connection closed before it has read it. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <xcb/xcb.h>

static xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, (uint16_t)strlen(name), name), NULL);
    xcb_atom_t a = r ? r->atom : XCB_ATOM_NONE;
    free(r);
    return a;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s WINDOW_ID\n", argv[0]);
        return 2;
    }
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) {
        fprintf(stderr, "cannot connect to the X server\n");
        return 1;
    }
    xcb_client_message_event_t event;
    memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = (xcb_window_t)strtoul(argv[1], NULL, 0);
    event.type = atom(c, "WM_PROTOCOLS");
    event.data.data32[0] = atom(c, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_generic_error_t* error =
        xcb_request_check(c, xcb_send_event_checked(c, 0, event.window, XCB_EVENT_MASK_NO_EVENT, (const char*)&event));
    const int failed = error != NULL;
    if (error)
        fprintf(stderr, "the server refused the close request (error %d)\n", error->error_code);
    free(error);
    xcb_disconnect(c);
    return failed;
}
