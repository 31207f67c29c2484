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
  PreviewLayerFinishing:%1（精加工）
  PreviewLegendRamp:斜線下刀
  PreviewLegendReturn:抬刀高度返回（虛線）
  PreviewLegendOvercut:平面外掃過區域（超切）
  PreviewOvercut:平面外切削
  PreviewOvercutValue:最多 %1 mm（第 %2 層）
  PreviewRamps:斜線下刀
  PreviewRampsValue:%1 次（%2 段，最陡 %3 度）
  PreviewReturns:抬刀高度返回
  PreviewFinish:精加工層
  PreviewFinishValue:第 %1 層，Z %2 mm，進給 %3 mm/min
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
  MsgFullStop:。
  RefuseNotFinite:%1不是有限的數值：%2
  RefuseUnknownChoice:未知的%1：%2
  RefuseRampAngle:%1必須大於 0 度且不超過 90 度，但現為 %2
  RefuseAboveZero:%1必須大於零，但現為 %2
  RefuseOvercutBelowZero:%1不能小於零，但現為 %2：刀具會比它的半徑更深地留在平面以內
  RefuseFaceNarrow:%1 %2 小於刀具直徑 %3：刀具放不進平面；過切至少 %4 mm 才能讓刀具切出邊緣
  RefuseFaceNarrowWithOvercut:%1 %2 加上兩倍過切 %5 仍小於刀具直徑 %3：刀具放不進平面；過切至少 %4 mm 才能讓刀具切出邊緣
  RefuseStepDownBelowZero:%1不能小於零，但現為 %2：每一層都會切在上一層之上
  RefuseStepDownZero:%1為 0，卻分 %2 層：每一層都切在同一高度；請輸入大於零的下刀深度，或只分一層
  RefuseRetractRelative:%1必須大於零，但現為 %2：相對抬刀不高於切削面時，刀具會拖過材料
  RefuseRetractAbsolute:使用絕對位置時，%1必須高於平面頂部（Z0），但現為 %2：刀具會在這個高度橫穿材料
  RefuseBelowLimit:%1必須小於 1000000 mm，但現為 %2
  RefuseLastLayerTooDeep:最後一層的深度（%1 層 × %2 %3）必須小於 1000000 mm，但現為 %4
  RefuseFinishingLayerTooDeep:精加工層的深度（%1 + %2 %3）必須小於 1000000 mm，但現為 %4
  RefuseFinishDepthBelowZero:%1不能小於零，但現為 %2：精加工層會切在最後一層之上
  RefuseFinishFeed:設有%2時，%1必須大於零，但現為 %3
  RefusePassStep:步距（%1 - %2）必須大於零，但 %1 %3 - %2 %4 = %5
  RefusePassStepTooSmall:步距（%1 - %2）%3 對這麼大的尺寸來說太小：刀路不會前進
  RefuseNotComputable:這個作業的尺寸太大，無法計算
  RefuseCoordinates:這個作業的尺寸太大：座標可能達到 %1 mm，但必須小於 1000000 mm
  RefuseDwell:%1必須在 0 到 %2 秒之間
  RefuseGrblMist:GRBL 1.1 的標準版本沒有霧狀冷卻（M7）：用於 GRBL 時請選擇液體冷卻或無冷卻
  RefuseRampTooShort:第一刀只有 %1 mm 長：太短，無法以 %2 度斜線下刀；請選擇更陡的角度、過切或垂直下刀
  RefuseRampEdgeClean:平面這麼窄時，螺旋的清邊會下刀到未切削的材料裡，斜線下刀不允許這樣：請取消清邊，或改用其他作業方式或垂直下刀
  RefuseTooManyLines:程式約有 %1 行，超過了 %2 行的上限
  RefuseTooManyBytes:程式約有 %1 位元組，超過了 %2 位元組的上限
  PreviewTooManyLines:程式約有 %1 行，太多，無法繪製（最多 %2 行）
  FileNotCreated:無法建立檔案“%1”。%2
  StreamWriteError:寫入檔案出錯
  FileNotOpened:無法開啟檔案“%1”。%2
  FileNotRegular:不是一般檔案
  FileNotFound:找不到檔案 %1
  FileLargerThanMiB:超過了 %1 MiB（%2 位元組）的上限
  FileLargerThan:超過了 %1 位元組的上限
  StreamReadError:讀取檔案出錯
  NotAnInteger:“%1”不是有效的整數
  NotANumber:“%1”不是有效的浮點數
  NotAValid:“%1”不是有效的%2
  SettingsBlockMissing:“%1”下沒有開啟的子項
  SettingsFileError:“%1”，%2
  SettingsEntryError:“%1”項：%2
  SettingsLineError:第 %1 行“%2”：%3
  IniNameMissing:沒有欄位名稱
  IniNameTooLong:欄位名稱太長（超過 255 位元組）
  IniValueTooLong:值太長（超過 65535 位元組）
  SettingsNulByte:此處的 NUL 位元組結束了文字，其後的內容都不會讀取
  SettingsKeptUnchanged:%1；檔案保持不變，視窗中的輸入沒有儲存
%]
PACK
