#!/bin/sh
# Writes Chinese-Traditional.lng: the window's captions in Traditional Chinese, as Big5 bytes with CR LF
# line ends. The texts below are UTF-8 so they can be read and edited here; iconv turns them into the
# pack's code page. Run from this folder after editing, and commit the .lng it writes.
set -e
out=Chinese-Traditional.lng
iconv -f UTF-8 -t BIG5 <<'PACK' | sed 's/$/\r/' > "$out"
; 主視窗的繁體中文標題 (Big5)
Option:[%RootKey%]
[%
  FontName:細明體
  Charset:CHINESEBIG5_CHARSET
  LangPack:" 繁體中文"
  QtLocale:zh_TW
%]

Lang:[%RootKey%]
[%
  Sheet1:工件平面
  Sheet2:銑刀選項
  Sheet3:運動選項
  Sheet4:關於
  Sheet5:加工選項
  Label1:長度：
  Label2:* Y軸方向，向前
  Label3:寬度：
  Label4:* X軸方向，向右
  Label5:直徑(R)：
  Label6:重疊(C)：
  Label7:下刀(D)：
  Label8:抬刀(U)：
  Label9:分層(L)：
  Label10:主軸(S)：
  Label11:進給(F)：
  Label12:作業方式：
  Label13:層
  Label14:轉
  Label31:過切(O)：
  Label33:進刀：
  Label34:斜坡角(A)：
  Label35:度
  Label36:切削方向：
  Label37:步距(P)：
  Label40:精銑深度(E)：
  Label42:精銑給進(G)：
  Label44:主軸延時(W)：
  Label45:秒
  CheckBox1:螺旋清掃
  CheckBox2:橫向清掃
  CheckBox3:縱向清掃
  CheckBox4:清除清掃後可能殘留的邊緣
  CheckBox5:相對位置
  CheckBox6:絕對位置
  CheckBox7:直接下刀
  CheckBox8:斜坡下刀
  CheckBox9:雙向
  CheckBox10:順銑
  CheckBox11:逆銑
  Preview:預覽
  PreviewTitle:預覽
  PreviewLayer:層：
  PreviewRapidRate:快速移動速度：
  PreviewCentrePass:螺旋後中心補切
  PreviewCentrePassHint:在每層螺旋之後、清邊之前，切除螺旋留在平面內部的材料
  PreviewLegendFeed:切削進給
  PreviewLegendLiftedFeed:抬刀高度進給
  PreviewLegendRapid:快速移動（虛線）
  PreviewLegendSwept:刀具掃過區域
  PreviewLegendUncutInside:內部未切削
  PreviewLegendUncutCorner:角部未切削（圓形刀具無法到達）
  PreviewLegendStart:起點
  PreviewLines:程式行數
  PreviewLayers:層數
  PreviewFeedPath:進給路徑
  PreviewRapidPath:快速移動路徑
  PreviewRapidRateFigure:快速移動速度
  PreviewCycleTime:預計加工時間
  PreviewMinutes:（%1 分鐘）
  PreviewTimeFeedUnknown:未知（進給速度為零或負值）
  PreviewTimeRapidUnknown:未知（快速移動速度須大於零）
  PreviewUncutInside:內部未切削
  PreviewUncutCorner:角部未切削
  PreviewShareOfFace:（佔平面的 %1%，第 %2 層）
  PreviewColon:：
  PreviewExtentX:刀具中心 X
  PreviewExtentY:刀具中心 Y
  PreviewExtentZ:刀具中心 Z
  PreviewExtentRange:%1 至 %2 mm
  PreviewExtentNone:無移動
  PreviewWorking:正在計算預覽…
  PreviewCancel:取消
  PreviewCancelled:已取消：圖中仍是之前的作業
  PreviewHint:滾輪縮放，拖動平移，F 或 Home 適合視窗，Esc 關閉
  Controller:控制器：
  Controllers:ISO（霧狀冷卻 M07）|ISO（液體冷卻 M08）|ISO（無冷卻）|GRBL 1.1（無冷卻）|GRBL 1.1（液體冷卻 M8）
  Generate:產生
  Close:關閉
  AboutText:感謝以下網友在試用中幫忙測試並回報問題：||銑刀老王、數控小白、鋼屑飛揚、ZhangWorks、MillerMike||祝大家新春快樂，萬事如意！
  MsgSuccess:程式已產生。
  MsgRefused:無法產生程式，請檢查%1：
  MsgRefusedNoEntry:無法產生程式：
  MsgListSeparator:、
  MsgWriteFailed:程式未能寫入：
  MsgSettingsNotRead:啟動時讀取設定出錯：
  MsgSettingsNotSaved:設定未能儲存：
  GenerateWorking:正在產生程式…
  GenerateCancel:取消
%]
PACK
