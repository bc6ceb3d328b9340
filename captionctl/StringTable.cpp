#include "captionctl/StringTable.h"

#include <QHash>

namespace tqen::captionctl {

namespace {

struct Entry {
    int id;
    const char *text;
};

// Profile key names: 104-125 the layout keys, 127-131 and 148-152 the rest.
const Entry kStrings[] = {
    {1, "MDCaption Control"},
    {2, "MDCaption Property Page"},
    {101, "全般"},
    {102, "HX4WIN.INI"},
    {103, "mdcapt"},
    {104, "Width"},
    {105, "Height"},
    {106, "MousePointer"},
    {107, "AutoAdjust"},
    {108, "BorderEffect"},
    {109, "BorderStyle"},
    {110, "BottomMargin"},
    {111, "ChildBorderEffect"},
    {112, "LabelAlignment"},
    {113, "LabelAutosize"},
    {114, "LabelBorderStyle"},
    {115, "LabelBorderEffect"},
    {116, "LabelHeight"},
    {117, "LabelLeft"},
    {118, "LabelPosition"},
    {119, "LabelTop"},
    {120, "LabelWidth"},
    {121, "LeftMargin"},
    {122, "RightMargin"},
    {123, "ShadowColor"},
    {124, "Spacing"},
    {125, "TopMargin"},
    {126, "ＭＳ Ｐゴシック"},
    {127, "FontName"},
    {128, "FontSize"},
    {129, "FontBold"},
    {130, "FontItalic"},
    {131, "FontUnderline"},
    {132, "MouseIconﾌﾟﾛﾊﾟﾃｨは必ずｱｲｺﾝじゃなければなりません。"},
    {133, "MousePointerﾌﾟﾛﾊﾟﾃｨ値の範囲は0から13そして、99です。 (ﾍﾙﾌﾟﾌｧｲﾙ参照)"},
    {134, "ﾌﾞｰﾙの値は0或いは-1です。"},
    {135, "ﾎﾞｰﾀﾞｰｴﾌｪｸﾄの値は整数の０から４までです。"},
    {136, "下ﾏｰｼﾞﾝは必ず-32767から +32767の間に設定して下さい。"},
    {137, "ﾗﾍﾞﾙ位置の設定範囲は整数の0から2までです。"},
    {138, "ﾎﾞｰﾀｰｽﾀｲﾙの設定範囲は整数の0或は1です。"},
    {139, "ﾗﾍﾞﾙの高さの設定範囲は整数の 0から 32767までです。"},
    {140, "ﾗﾍﾞﾙの左位置の設定範囲は整数の -32767から +32767までです。"},
    {141, "ﾗﾍﾞﾙ位置の設定範囲は整数の -32767 から +32767までです。"},
    {142, "ﾗﾍﾞﾙの上位置の設定範囲は整数の -32767 から +32767までです。"},
    {143, "ﾗﾍﾞﾙの幅の設定範囲は整数の 0 から 32767までです。"},
    {144, "左ﾏｰｼﾞﾝの設定範囲は整数の -32767 から +32767までです。"},
    {145, "右ﾏｰｼﾞﾝの設定範囲は整数の -32767 から +32767までです。"},
    {146, "空白の設定範囲は整数の -32767 から +32767までです。"},
    {147, "上ﾏｰｼﾞﾝの設定範囲は整数の -32767 から +32767までです。"},
    {148, "FontStrikethru"},
    {149, "Enabled"},
    {150, "Tooltip"},
    {151, "BackColor"},
    {152, "ForeColor"},
};

}  // namespace

QString loadString(int id) {
    for (const Entry &e : kStrings)
        if (e.id == id) return QString::fromUtf8(e.text);
    return {};
}

int profileKeyId(const char *keyName) {
    for (const Entry &e : kStrings)
        if ((e.id >= 104 && e.id <= 125) || (e.id >= 127 && e.id <= 131) ||
            (e.id >= 148 && e.id <= 153))
            if (qstrcmp(e.text, keyName) == 0) return e.id;
    return 0;
}

}  // namespace tqen::captionctl
