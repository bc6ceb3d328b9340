#pragma once
// A test with a temporary folder of its own that the program is pointed at
// through its environment variables (TQEN_DRIVES, TQEN_COM_REGISTRY,
// TQEN_PROFILE_DIR …) for the length of the test, and files written there.
// ScopedEnv sets any variable for a while.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace tqen::testing {

// An environment variable set for the life of the object; what it was
// before (or its absence) comes back at the end.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), before_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_) qputenv(name_.constData(), before_);
        else qunsetenv(name_.constData());
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    QByteArray name_;
    bool had_;
    QByteArray before_;
};

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override {
        while (!pointed_.empty()) pointed_.pop_back();
    }

    // Sets `variable` to a place in the folder (the folder itself when
    // `inFolder` is empty) until the test ends; returns that path.
    QString pointAt(const char *variable, const QString &inFolder = QString()) {
        const QString path = inFolder.isEmpty() ? dir.path() : dir.filePath(inFolder);
        pointed_.push_back(std::make_unique<ScopedEnv>(variable, path.toUtf8()));
        return path;
    }
    // Writes a file whole.
    static void writeFile(const QString &path, const QByteArray &bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
        f.write(bytes);
    }
    // A file's bytes; empty when it cannot be read.
    static QByteArray readFile(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;

private:
    std::vector<std::unique_ptr<ScopedEnv>> pointed_;
};

// The same with the folder as the one of the controls' defaults profile
// (TQEN_PROFILE_DIR), and its profile file.
class ProfileFolderTest : public FolderTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(FolderTest::SetUp());
        pointAt("TQEN_PROFILE_DIR");
    }
    QString profilePath() const { return dir.filePath(QStringLiteral("HX4WIN.INI")); }
    void profile(const QByteArray &text) { writeFile(profilePath(), text); }
    QByteArray profileText() const { return readFile(profilePath()); }
};

}  // namespace tqen::testing
