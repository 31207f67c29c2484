#include "dvTools/MessageWords.h"

namespace {

// %1, %2, ... as each message gives them (an entry by its caption, a number as the command line writes it).
constexpr TKeyedText kWords[] = {
    {"RefuseNotFinite", "%1不是有限的数值：%2"},
    {"RefuseUnknownChoice", "未知的%1：%2"},
    {"RefuseRampAngle", "%1必须大于 0 度且不超过 90 度，但现为 %2"},
    {"RefuseAboveZero", "%1必须大于零，但现为 %2"},
    {"RefuseOvercutBelowZero", "%1不能小于零，但现为 %2：刀具会比它的半径更深地留在平面以内"},
    {"RefuseFaceNarrow", "%1 %2 小于刀具直径 %3：刀具放不进平面；过切至少 %4 mm 才能让刀具切出边缘"},
    {"RefuseFaceNarrowWithOvercut",
     "%1 %2 加上两倍过切 %5 仍小于刀具直径 %3：刀具放不进平面；过切至少 %4 mm 才能让刀具切出边缘"},
    {"RefuseStepDownBelowZero", "%1不能小于零，但现为 %2：每一层都会切在上一层之上"},
    {"RefuseStepDownZero", "%1为 0，却分 %2 层：每一层都切在同一高度；请输入大于零的下刀深度，或只分一层"},
    {"RefuseRetractRelative", "%1必须大于零，但现为 %2：相对抬刀不高于切削面时，刀具会拖过材料"},
    {"RefuseRetractAbsolute",
     "使用绝对位置时，%1必须高于平面顶部（Z0），但现为 %2：刀具会在这个高度横穿材料"},
    {"RefuseBelowLimit", "%1必须小于 1000000 mm，但现为 %2"},
    {"RefuseLastLayerTooDeep", "最后一层的深度（%1 层 × %2 %3）必须小于 1000000 mm，但现为 %4"},
    {"RefuseFinishingLayerTooDeep", "精加工层的深度（%1 + %2 %3）必须小于 1000000 mm，但现为 %4"},
    {"RefuseFinishDepthBelowZero", "%1不能小于零，但现为 %2：精加工层会切在最后一层之上"},
    {"RefuseFinishFeed", "设有%2时，%1必须大于零，但现为 %3"},
    {"RefusePassStep", "步距（%1 - %2）必须大于零，但 %1 %3 - %2 %4 = %5"},
    {"RefusePassStepTooSmall", "步距（%1 - %2）%3 对这么大的尺寸来说太小：刀路不会前进"},
    {"RefuseNotComputable", "这个作业的尺寸太大，无法计算"},
    {"RefuseCoordinates", "这个作业的尺寸太大：坐标可能达到 %1 mm，但必须小于 1000000 mm"},
    {"RefuseDwell", "%1必须在 0 到 %2 秒之间"},
    {"RefuseGrblMist", "GRBL 1.1 的标准版本没有雾状冷却（M7）：用于 GRBL 时请选择液体冷却或无冷却"},
    {"RefuseRampTooShort",
     "第一刀只有 %1 mm 长：太短，无法以 %2 度斜线下刀；请选择更陡的角度、过切或垂直下刀"},
    {"RefuseRampEdgeClean",
     "平面这么窄时，螺旋的清边会下刀到未切削的材料里，斜线下刀不允许这样："
     "请取消清边，或改用其他作业方式或垂直下刀"},
    {"RefuseTooManyLines", "程序约有 %1 行，超过了 %2 行的上限"},
    {"RefuseTooManyBytes", "程序约有 %1 字节，超过了 %2 字节的上限"},
    {"PreviewTooManyLines", "程序约有 %1 行，太多，无法绘制（最多 %2 行）"},
    {"FileNotCreated", "无法创建文件“%1”。%2"},
    {"StreamWriteError", "写入文件出错"},
    {"FileNotOpened", "无法打开文件“%1”。%2"},
    {"FileNotRegular", "不是普通文件"},
    {"FileNotFound", "找不到文件 %1"},
    {"FileLargerThanMiB", "超过了 %1 MiB（%2 字节）的上限"},
    {"FileLargerThan", "超过了 %1 字节的上限"},
    {"StreamReadError", "读取文件出错"},
    {"NotAnInteger", "“%1”不是有效的整数"},
    {"NotANumber", "“%1”不是有效的浮点数"},
    {"NotAValid", "“%1”不是有效的%2"},
    {"SettingsBlockMissing", "“%1”下没有打开的子项"},
    {"SettingsFileError", "“%1”，%2"},
    {"SettingsEntryError", "“%1”项：%2"},
    {"SettingsLineError", "第 %1 行“%2”：%3"},
    {"IniNameMissing", "没有字段名"},
    {"IniNameTooLong", "字段名太长（超过 255 字节）"},
    {"IniValueTooLong", "值太长（超过 65535 字节）"},
    {"SettingsNulByte", "此处的 NUL 字节结束了文本，其后的内容都不会读取"},
    {"SettingsKeptUnchanged", "%1；文件保持不变，窗口中的输入没有保存"},
};

}  // namespace

std::span<const TKeyedText> MessageWords() {
  return kWords;
}

const char* MessageWordsOf(std::string_view key) {
  for (const TKeyedText& w : kWords)
    if (key == w.key) return w.text;
  return nullptr;
}
