#include "app/DialogBuilder.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <cstdlib>

namespace {
int mulDiv(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

bool has(std::uint32_t styles, std::uint32_t flag) { return (styles & flag) == flag; }

QWidget* makeEdit(QWidget* parent, const ControlTemplate& c)
{
    auto* edit = new QLineEdit(QString::fromUtf8(c.caption), parent);
    edit->setReadOnly(has(c.style, style::kEditReadOnly));
    edit->setFrame(has(c.style, style::kBorder));
    if (has(c.style, style::kEditCenter))
        edit->setAlignment(Qt::AlignCenter);
    return edit;
}

QWidget* makeListBox(QWidget* parent, const ControlTemplate& c)
{
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(has(c.style, style::kListSort));
    list->setVerticalScrollBarPolicy(has(c.style, style::kVScroll) ? Qt::ScrollBarAsNeeded
                                                                   : Qt::ScrollBarAlwaysOff);
    list->setFrameShape(has(c.style, style::kBorder) ? QFrame::StyledPanel : QFrame::NoFrame);
    return list;
}

QWidget* makeButton(QWidget* parent, const ControlTemplate& c)
{
    const QString caption = QString::fromUtf8(c.caption);
    switch (c.style & style::kButtonTypeMask) {
    case style::kGroupBox: {
        auto* box = new QGroupBox(caption, parent);
        // A frame only: clicks go to the controls it surrounds.
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        return box;
    }
    case style::kAutoCheckBox: {
        auto* check = new QCheckBox(caption, parent);
        check->setChecked(false);
        return check;
    }
    default: {
        auto* button = new QPushButton(caption, parent);
        button->setFlat(has(c.style, style::kFlat));
        button->setAutoDefault(true);
        return button;
    }
    }
}

QWidget* makeStatic(QWidget* parent, const ControlTemplate& c, const QIcon& icon)
{
    switch (c.style & style::kStaticTypeMask) {
    case style::kStaticIcon: {
        auto* label = new QLabel(parent);
        label->setPixmap(icon.pixmap(32, 32));
        return label;
    }
    case style::kStaticBlackFrame: {
        auto* frame = new QFrame(parent);
        frame->setFrameShape(QFrame::Box);
        frame->setStyleSheet("color: black;");
        return frame;
    }
    default: {
        auto* label = new QLabel(QString::fromUtf8(c.caption), parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (has(c.exStyle, style::kExClientEdge))
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return label;
    }
    }
}

QWidget* makeControl(QWidget* parent, const ControlTemplate& c, QWidget* mediaPlayer, const QIcon& icon)
{
    switch (c.cls) {
    case ControlClass::Edit: return makeEdit(parent, c);
    case ControlClass::ListBox: return makeListBox(parent, c);
    case ControlClass::Button: return makeButton(parent, c);
    case ControlClass::Static: return makeStatic(parent, c, icon);
    case ControlClass::MediaPlayer:
        mediaPlayer->setParent(parent);
        return mediaPlayer;
    }
    return nullptr;
}

Qt::FocusPolicy focusPolicyFor(const ControlTemplate& c)
{
    if (!has(c.style, style::kTabStop))
        return c.cls == ControlClass::Static ? Qt::NoFocus : Qt::ClickFocus;
    return Qt::StrongFocus;
}
}

QRect DialogUnitsToPixels(int x, int y, int w, int h)
{
    const int left = mulDiv(x, kBaseUnitX, 4);
    const int top = mulDiv(y, kBaseUnitY, 8);
    const int right = mulDiv(x + w, kBaseUnitX, 4);
    const int bottom = mulDiv(y + h, kBaseUnitY, 8);
    return QRect(left, top, right - left, bottom - top);
}

QWidget* BuiltControls::item(int id) const
{
    const auto it = byId.find(id);
    return it == byId.end() ? nullptr : it->second;
}

BuiltControls BuildControls(QWidget* dialog, const DialogTemplate& tmpl,
                            QWidget* mediaPlayer, const QIcon& icon)
{
    BuiltControls built;
    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& c : tmpl.controls) {
        QWidget* w = makeControl(dialog, c, mediaPlayer, icon);
        w->setGeometry(DialogUnitsToPixels(c.x, c.y, c.w, c.h));
        w->setFocusPolicy(focusPolicyFor(c));
        w->setVisible(has(c.style, style::kVisible));
        if (c.id != kStaticId)
            w->setProperty("controlId", c.id);
        if (has(c.style, style::kTabStop)) {
            if (previousTabStop)
                QWidget::setTabOrder(previousTabStop, w);
            previousTabStop = w;
        }
        built.inOrder.push_back(w);
        if (c.id != kStaticId)
            built.byId[c.id] = w;
    }
    return built;
}

void ApplyDialogFrame(QWidget* dialog, const DialogTemplate& tmpl)
{
    dialog->setWindowTitle(QString::fromUtf8(tmpl.caption));
    const QRect client = DialogUnitsToPixels(0, 0, tmpl.w, tmpl.h);
    dialog->setFixedSize(client.size());
    // An application window is a top-level window of its own with a task bar
    // entry; as a dialog without an owner, X11 would make it transient for
    // the program's hidden leader window, and task bars leave such out.
    const Qt::WindowType type = has(tmpl.exStyle, style::kExAppWindow) ? Qt::Window : Qt::Dialog;
    Qt::WindowFlags flags = type | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                            | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (has(tmpl.style, style::kMinimizeBox))
        flags |= Qt::WindowMinimizeButtonHint;
    if (has(tmpl.exStyle, style::kExTopmost))
        flags |= Qt::WindowStaysOnTopHint;
    dialog->setWindowFlags(flags);
    QFont font = dialog->font();
    font.setPointSize(tmpl.fontPoints);
    dialog->setFont(font);
}
