#!/bin/sh
# Writes the GBK test pack ../data/settings/chinese-simplified-gbk.lng: the window's own Chinese
# captions, as a pack that restores them. The texts are UTF-8 here; iconv turns them into GBK bytes with
# CR LF line ends. Run from this folder after editing, and commit the .lng it writes.
set -e
out=../data/settings/chinese-simplified-gbk.lng
iconv -f UTF-8 -t GBK <<'PACK' | sed 's/$/\r/' > "$out"
Option:[%RootKey%]
[%
  FontName:宋体
  Charset:GB2312_CHARSET
  LangPack:" 简体中文"
%]

Lang:[%RootKey%]
[%
  Sheet1:材质平面
  Sheet2:铣刀选项
  Sheet3:运动选项
  Sheet4:关于
  Label1:长度：
  Label2:* Y轴方向，向前
  Label3:宽度：
  Label4:* X轴方向，向右
  Label5:直径(R)：
  Label6:重叠(C)：
  Label7:下刀(D)：
  Label8:抬刀(U)：
  Label9:分层(L)：
  Label10:主轴(S)：
  Label11:给进(F)：
  Label12:作业方式：
  Label13:层
  Label14:转
  CheckBox1:螺旋清扫
  CheckBox2:横向清扫
  CheckBox3:纵向清扫
  CheckBox4:清除清扫后的可能的残留边缘
  CheckBox5:相对位置
  CheckBox6:绝对位置
%]
PACK
