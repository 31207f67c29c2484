// The page's texts: the window's own Chinese captions, and the English ones of the shipped pack
// packs/English.lng under the same keys (a test holds them to the pack). The keys are the pack's (Generate
// is the window's button's); the page's own few texts (the file name, the files, the status line) have keys
// of their own. A classic script, as the page's others.

(() => {
const captions = {
  zh: {
    Sheet1: '材质平面', Sheet2: '铣刀选项', Sheet3: '运动选项', Sheet4: '关于', Sheet5: '加工选项',
    Label1: '长度：', Label2: '* Y轴方向，向前', Label3: '宽度：', Label4: '* X轴方向，向右',
    Label5: '直径(R)：', Label6: '重叠(C)：', Label7: '下刀(D)：', Label8: '抬刀(U)：',
    Label9: '分层(L)：', Label10: '主轴(S)：', Label11: '给进(F)：', Label12: '作业方式：', Label13: '层',
    Label14: '转',
    Label31: '过切(O)：', Label33: '进刀：', Label34: '斜坡角(A)：', Label35: '度', Label36: '切削方向：',
    Label37: '步距(P)：', Label40: '精铣深度(E)：', Label42: '精铣给进(G)：', Label44: '主轴延时(W)：', Label45: '秒',
    CheckBox1: '螺旋清扫', CheckBox2: '横向清扫', CheckBox3: '纵向清扫', CheckBox4: '清除清扫后的可能的残留边缘',
    CheckBox5: '相对位置', CheckBox6: '绝对位置',
    CheckBox7: '直接下刀', CheckBox8: '斜坡下刀', CheckBox9: '双向', CheckBox10: '顺铣', CheckBox11: '逆铣',
    Controller: '控制器：',
    Controllers: 'ISO（雾状冷却 M07）|ISO（液体冷却 M08）|ISO（无冷却）|GRBL 1.1（无冷却）|GRBL 1.1（液体冷却 M8）',
    PreviewTitle: '预览', PreviewRapidRate: '快速移动速度：', PreviewCentrePass: '螺旋后中心补切',
    PreviewCentrePassHint: '在每层螺旋之后、清边之前，切除螺旋留在平面内部的材料',
    PreviewLegendFeed: '切削进给', PreviewLegendLiftedFeed: '抬刀高度进给', PreviewLegendRapid: '快速移动（虚线）',
    PreviewLegendSwept: '刀具扫过区域', PreviewLegendUncutInside: '内部未切削',
    PreviewLegendUncutCorner: '角部未切削（圆形刀具无法到达）', PreviewLegendStart: '起点',
    PreviewLines: '程序行数', PreviewLayers: '层数', PreviewFeedPath: '进给路径', PreviewRapidPath: '快速移动路径',
    PreviewRapidRateFigure: '快速移动速度', PreviewCycleTime: '预计加工时间', PreviewMinutes: '（%1 分钟）',
    PreviewTimeFeedUnknown: '未知（进给速度为零或负值）', PreviewTimeRapidUnknown: '未知（快速移动速度须大于零）',
    PreviewUncutInside: '内部未切削', PreviewUncutCorner: '角部未切削', PreviewShareOfFace: '（占平面的 %1%，第 %2 层）',
    PreviewColon: '：', PreviewWorking: '正在计算预览…', PreviewCancel: '取消',
    PreviewCancelled: '已取消：图中仍是之前的作业',
    PreviewLegendRamp: '斜线下刀', PreviewLegendReturn: '抬刀高度返回（虚线）', PreviewLegendOvercut: '平面外扫过区域（超切）',
    PreviewOvercut: '平面外切削', PreviewOvercutValue: '最多 %1 mm（第 %2 层）', PreviewRamps: '斜线下刀',
    PreviewRampsValue: '%1 次（%2 段，最陡 %3°）', PreviewReturns: '抬刀高度返回', PreviewFinish: '精加工层',
    PreviewFinishValue: '第 %1 层，Z %2 mm，进给 %3 mm/min',
    Generate: '生成', FileName: '文件名：', Import: '导入 Skimplane.ini', Export: '导出 Skimplane.ini',
    Language: 'English', Refused: '无法生成：', Written: '已生成 %1（%2 字节）。', Imported: '已导入 %1。',
    Generating: '正在生成程序…', DrawingHint: '滚轮缩放，拖动平移，F 或 Home 适合窗口',
  },
  en: {
    Sheet1: 'Workpiece', Sheet2: 'Cutter', Sheet3: 'Motion', Sheet4: 'About', Sheet5: 'Machining',
    Label1: 'Length:', Label2: '* Y axis, forward', Label3: 'Width:', Label4: '* X axis, to the right',
    Label5: 'Diameter(R):', Label6: 'Overlap(C):', Label7: 'Depth(D):', Label8: 'Retract(U):',
    Label9: 'Layers(L):', Label10: 'Spindle(S):', Label11: 'Feed(F):', Label12: 'Strategy:', Label13: 'layers',
    Label14: 'rpm',
    Label31: 'Overcut(O):', Label33: 'Entry:', Label34: 'Ramp angle(A):', Label35: 'deg', Label36: 'Cut direction:',
    Label37: 'Step-over(P):', Label40: 'Finish depth(E):', Label42: 'Finish feed(G):', Label44: 'Spindle dwell(W):',
    Label45: 's',
    CheckBox1: 'Spiral', CheckBox2: 'Along X', CheckBox3: 'Along Y', CheckBox4: 'Clean the remaining edge',
    CheckBox5: 'Relative', CheckBox6: 'Absolute',
    CheckBox7: 'Plunge', CheckBox8: 'Ramp', CheckBox9: 'Both', CheckBox10: 'Climb', CheckBox11: 'Conventional',
    Controller: 'Controller:',
    Controllers: 'ISO, mist coolant (M07)|ISO, flood coolant (M08)|ISO, no coolant|GRBL 1.1, no coolant|GRBL 1.1, flood coolant (M8)',
    PreviewTitle: 'Preview', PreviewRapidRate: 'Rapid rate:', PreviewCentrePass: 'Centre pass after the spiral',
    PreviewCentrePassHint: "After each layer's spiral, before the edge clean, cut what the spiral left inside the face",
    PreviewLegendFeed: 'cutting feed', PreviewLegendLiftedFeed: 'feed at retract height', PreviewLegendRapid: 'rapid (dashed)',
    PreviewLegendSwept: 'area the cutter sweeps', PreviewLegendUncutInside: 'left uncut inside',
    PreviewLegendUncutCorner: 'left in the corners (no round cutter reaches)', PreviewLegendStart: 'start',
    PreviewLines: 'Lines', PreviewLayers: 'Layers', PreviewFeedPath: 'Feed path', PreviewRapidPath: 'Rapid path',
    PreviewRapidRateFigure: 'Rapid rate', PreviewCycleTime: 'Cycle time', PreviewMinutes: ' (%1 min)',
    PreviewTimeFeedUnknown: 'unknown (feed is zero or negative)',
    PreviewTimeRapidUnknown: 'unknown (rapid rate must be above zero)',
    PreviewUncutInside: 'Uncut inside', PreviewUncutCorner: 'Uncut corners',
    PreviewShareOfFace: ' (%1% of the face, layer %2)', PreviewColon: ': ',
    PreviewWorking: 'Working out the preview...', PreviewCancel: 'Cancel',
    PreviewCancelled: 'Cancelled: the drawing still shows the job before',
    PreviewLegendRamp: 'ramp entry', PreviewLegendReturn: 'return at retract height (dashed)',
    PreviewLegendOvercut: 'area swept beyond the face (overcut)', PreviewOvercut: 'Cut beyond the face',
    PreviewOvercutValue: 'up to %1 mm (layer %2)', PreviewRamps: 'Ramp entries',
    PreviewRampsValue: '%1 (%2 legs, steepest %3°)', PreviewReturns: 'Returns at retract height',
    PreviewFinish: 'Finishing layer', PreviewFinishValue: 'layer %1 at Z %2 mm, feed %3 mm/min',
    Generate: 'Generate', FileName: 'File name:', Import: 'Import Skimplane.ini', Export: 'Export Skimplane.ini',
    Language: '中文', Refused: 'Cannot generate: ', Written: 'Generated %1 (%2 bytes).', Imported: 'Imported %1.',
    Generating: 'Writing the program...', DrawingHint: 'Wheel zooms, drag pans, F or Home fits',
  },
};

// The keys the page takes from the language pack; the rest are its own.
const packKeys = Object.keys(captions.en).filter(
  (key) => !['FileName', 'Import', 'Export', 'Language', 'Refused', 'Written', 'Imported', 'Generating', 'DrawingHint'].includes(key));

globalThis.SkimplaneCaptions = Object.freeze({ captions, packKeys });
})();
