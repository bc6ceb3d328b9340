#pragma once
// Counting what the engine does, for Statistics (Dao.h). Only the engine's
// own files include this header.
#include <QString>

namespace tqen::dao {

void countOpen(const QString &path);
void countStatement();
void countCommit(const QString &path);
void countGramsCopiedIn();

}  // namespace tqen::dao
