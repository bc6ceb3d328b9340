#pragma once
// Tests whose controls read the defaults profile: a private profile folder,
// and writing the profile file.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

class ProfileFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("TQEN_PROFILE_DIR", dir.path().toUtf8());
    }
    void TearDown() override { qunsetenv("TQEN_PROFILE_DIR"); }
    void profile(const QByteArray &text) {
        QFile f(dir.path() + "/HX4WIN.INI");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QTemporaryDir dir;
};
