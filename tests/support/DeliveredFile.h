#pragma once
// A writable copy of a delivered data file (build/bin/data) in a test's
// temporary folder.
#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace tqen::testing {

// The copy's path, or an empty text when the copy failed.
inline QString copyDeliveredFile(const QTemporaryDir &dir, const QString &name) {
    const QString to = dir.filePath(name);
    if (!QFile::copy(qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/data/") + name, to)) return {};
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    return to;
}

// A test on a copy of one delivered file, at `path`.
class DeliveredFileTest : public ::testing::Test {
protected:
    explicit DeliveredFileTest(const char *name) : name_(QString::fromUtf8(name)) {}
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = copyDeliveredFile(dir, name_);
        ASSERT_FALSE(path.isEmpty()) << name_.toStdString();
    }

    QTemporaryDir dir;
    QString path;

private:
    QString name_;
};

}  // namespace tqen::testing
