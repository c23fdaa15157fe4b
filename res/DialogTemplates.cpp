#include "res/DialogTemplate.h"

namespace {
using C = ControlClass;

const ControlTemplate kMainControls[] = {
    {1002, C::Edit, "", 290, 195, 59, 16, 0x50810880u, 0},
    {1003, C::Edit, "", 382, 195, 56, 16, 0x50810880u, 0},
    {1004, C::Edit, "", 87, 123, 22, 15, 0x40010081u, 0},
    {1005, C::Edit, "", 135, 125, 18, 15, 0x40010081u, 0},
    {1006, C::Edit, "", 169, 132, 45, 15, 0x40010081u, 0},
    {1007, C::ListBox, "", 113, 132, 127, 15, 0x40A10101u, 0},
    {1010, C::Button, "播放", 282, 221, 47, 14, 0x50010000u, 0},
    {1011, C::Button, "暂停", 398, 221, 45, 14, 0x50010000u, 0},
    {1012, C::Button, "复读", 341, 221, 45, 14, 0x50010000u, 0},
    {1013, C::Button, "+", 165, 131, 25, 16, 0x40010000u, 0},
    {1014, C::Button, "-", 141, 124, 25, 16, 0x40010000u, 0},
    {1015, C::Button, "<", 211, 131, 25, 16, 0x40010000u, 0},
    {1016, C::Button, ">", 213, 131, 25, 16, 0x40010000u, 0},
    {1017, C::Button, "Repeat", 189, 127, 30, 20, 0x40010000u, 0},
    {1018, C::Button, "Next", 203, 127, 21, 20, 0x40010000u, 0},
    {1019, C::Button, "<", 278, 195, 12, 15, 0x50018000u, 0},
    {1020, C::Button, ">", 349, 195, 12, 15, 0x50018000u, 0},
    {1021, C::Button, "<", 370, 195, 12, 15, 0x50018000u, 0},
    {1022, C::Button, ">", 438, 195, 10, 15, 0x50018000u, 0},
    {1000, C::MediaPlayer, "", 0, 0, 267, 230, 0x50030000u, 0},
    {1023, C::Button, "开始复读计时", 282, 176, 71, 14, 0x50010000u, 0},
    {1024, C::Button, "结束复读计时", 375, 176, 65, 14, 0x50010000u, 0},
    {1025, C::Button, "Infinitely", 199, 118, 41, 15, 0x40010003u, 0},
    {1001, C::Edit, "", 283, 22, 158, 14, 0x50810880u, 0},
    {1008, C::Button, "Save File", 59, 131, 40, 16, 0x40010000u, 0},
    {1009, C::Button, "打开", 281, 46, 48, 14, 0x50010000u, 0},
    {kStaticId, C::Button, "播放区", 271, 6, 181, 61, 0x50000007u, 0},
    {kStaticId, C::Button, "复读区", 271, 162, 182, 80, 0x50000007u, 0},
    {1026, C::Button, "播放", 339, 46, 48, 14, 0x50010000u, 0},
    {1028, C::Button, "退出", 169, 226, 50, 16, 0x50010301u, 0},
    {kStaticId, C::Button, "录音区", 271, 80, 182, 71, 0x50000007u, 0},
    {kStaticId, C::Static, "录音时间:", 277, 95, 36, 8, 0x50020000u, 0},
    {1029, C::Static, "", 313, 95, 42, 11, 0x50020000u, 0x00000200u},
    {kStaticId, C::Static, "文件大小:", 359, 95, 36, 8, 0x50020000u, 0},
    {1030, C::Static, "", 394, 95, 56, 11, 0x50020000u, 0x00000200u},
    {1031, C::Edit, "", 275, 112, 130, 12, 0x50810880u, 0},
    {1032, C::Button, "保存到...", 407, 110, 41, 14, 0x50010000u, 0},
    {1033, C::Button, "录音", 281, 132, 46, 14, 0x50010000u, 0},
    {1034, C::Button, "暂停", 339, 132, 46, 14, 0x50010000u, 0},
    {1035, C::Button, "停止", 395, 132, 46, 14, 0x50010000u, 0},
    {1038, C::Button, "停止", 395, 46, 45, 14, 0x50010000u, 0},
    {1036, C::Button, "关于", 108, 226, 50, 16, 0x50010301u, 0},
};

const ControlTemplate kAboutControls[] = {
    {kStaticId, C::Static, "", 7, 7, 20, 20, 0x50000003u, 0},
    {1, C::Button, "退出", 137, 164, 66, 16, 0x50030001u, 0},
    {kStaticId, C::Static, "Quillora", 88, 7, 79, 8, 0x50020000u, 0},
    {kStaticId, C::Static, "", 7, 155, 241, 3, 0x50800007u, 0},
};

const DialogTemplate kMain{102, "Quillora", 457, 243, 0x90CA00C8u, 0x00040008u, 8, kMainControls};
const DialogTemplate kAbout{100, "关于 Quillora", 255, 187, 0x80C800C8u, 0, 9, kAboutControls};
}

const DialogTemplate& MainDialogTemplate() { return kMain; }
const DialogTemplate& AboutDialogTemplate() { return kAbout; }
