#include "app/PreviewCaptions.h"

namespace {

// "%1" and "%2" stand for the numbers the window puts in.
constexpr TPackText kCaptions[] = {
    {"PreviewTitle", "预览"},
    {"PreviewLayer", "层："},
    {"PreviewRapidRate", "快速移动速度："},
    {"PreviewCentrePass", "螺旋后中心补切"},
    {"PreviewCentrePassHint", "在每层螺旋之后、清边之前，切除螺旋留在平面内部的材料"},
    {"PreviewLegendFeed", "切削进给"},
    {"PreviewLegendLiftedFeed", "抬刀高度进给"},
    {"PreviewLegendRapid", "快速移动（虚线）"},
    {"PreviewLegendSwept", "刀具扫过区域"},
    {"PreviewLegendUncutInside", "内部未切削"},
    {"PreviewLegendUncutCorner", "角部未切削（圆形刀具无法到达）"},
    {"PreviewLegendStart", "起点"},
    {"PreviewLines", "程序行数"},
    {"PreviewLayers", "层数"},
    {"PreviewFeedPath", "进给路径"},
    {"PreviewRapidPath", "快速移动路径"},
    {"PreviewRapidRateFigure", "快速移动速度"},
    {"PreviewCycleTime", "预计加工时间"},
    {"PreviewMinutes", "（%1 分钟）"},
    {"PreviewTimeFeedUnknown", "未知（进给速度为零或负值）"},
    {"PreviewTimeRapidUnknown", "未知（快速移动速度须大于零）"},
    {"PreviewUncutInside", "内部未切削"},
    {"PreviewUncutCorner", "角部未切削"},
    {"PreviewShareOfFace", "（占平面的 %1%，第 %2 层）"},
    {"PreviewColon", "："},
    {"PreviewExtentX", "刀具中心 X"},
    {"PreviewExtentY", "刀具中心 Y"},
    {"PreviewExtentZ", "刀具中心 Z"},
    {"PreviewExtentRange", "%1 至 %2 mm"},
    {"PreviewExtentNone", "无移动"},
    {"PreviewWorking", "正在计算预览…"},
    {"PreviewCancel", "取消"},
    {"PreviewCancelled", "已取消：图中仍是之前的作业"},
    {"PreviewHint", "滚轮缩放，拖动平移，F 或 Home 适合窗口，Esc 关闭"},
    {"PreviewLayerFinishing", "%1（精加工）"},
    {"PreviewLegendRamp", "斜线下刀"},
    {"PreviewLegendReturn", "抬刀高度返回（虚线）"},
    {"PreviewLegendOvercut", "平面外扫过区域（超切）"},
    {"PreviewOvercut", "平面外切削"},
    {"PreviewOvercutValue", "最多 %1 mm（第 %2 层）"},
    {"PreviewRamps", "斜线下刀"},
    {"PreviewRampsValue", "%1 次（%2 段，最陡 %3°）"},
    {"PreviewReturns", "抬刀高度返回"},
    {"PreviewFinish", "精加工层"},
    {"PreviewFinishValue", "第 %1 层，Z %2 mm，进给 %3 mm/min"},
};

}  // namespace

TPreviewCaptions::TPreviewCaptions() : TPackTexts(kCaptions) {}

std::vector<std::string> TPreviewCaptions::Keys() {
  return TPackTexts(kCaptions).Keys();
}
