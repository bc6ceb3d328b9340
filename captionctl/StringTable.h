#pragma once
// The library's string table: type names, page caption, the defaults
// profile's file, section and key names, the default font and the property
// error messages.
#include <QString>

namespace tqen::captionctl {

enum StringId : int {
    IDS_CONTROL_TYPENAME = 1,
    IDS_PAGE_TYPENAME = 2,
    IDS_PAGE_CAPTION = 101,
    IDS_PROFILE_FILE = 102,
    IDS_PROFILE_SECTION = 103,
    IDS_DEFAULT_FONT = 126,
    IDS_ERR_MOUSEICON = 132,
    IDS_ERR_MOUSEPOINTER = 133,
    IDS_ERR_BOOLEAN = 134,
    IDS_ERR_BORDEREFFECT = 135,
    IDS_ERR_BOTTOMMARGIN = 136,
    IDS_ERR_LABELALIGNMENT = 137,
    IDS_ERR_BORDERSTYLE = 138,
    IDS_ERR_LABELHEIGHT = 139,
    IDS_ERR_LABELLEFT = 140,
    IDS_ERR_LABELPOSITION = 141,
    IDS_ERR_LABELTOP = 142,
    IDS_ERR_LABELWIDTH = 143,
    IDS_ERR_LEFTMARGIN = 144,
    IDS_ERR_RIGHTMARGIN = 145,
    IDS_ERR_SPACING = 146,
    IDS_ERR_TOPMARGIN = 147,
};

// The text of a string resource; empty when there is none.
QString loadString(int id);
// Resource id of a defaults-profile key name ("LabelAutosize" → …); 0 if none.
int profileKeyId(const char *keyName);

}  // namespace tqen::captionctl
