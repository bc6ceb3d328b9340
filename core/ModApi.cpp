#include "core/ModApi.h"

#include "platform/files/Files.h"

namespace tqen::ModApi {

qint32 FileSizeOf(const QString &path) { return files::fileSize(path); }

}  // namespace tqen::ModApi
