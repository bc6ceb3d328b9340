#pragma once
// The file dialogs and the file size, by the names the forms have always
// called them. The dialogs and their request record are the forms layer's
// (platform/forms/Interaction.h).
#include "platform/forms/Interaction.h"

#include <QString>

namespace tqen::ModApi {

using forms::FileDialogRequest;
using forms::FilterList;
using forms::OpenFileDialog;
using forms::SaveFileDialog;

// Size of an existing file in bytes, also of one that cannot be read; -1
// when there is no such file.
qint32 FileSizeOf(const QString &path);

}  // namespace tqen::ModApi
