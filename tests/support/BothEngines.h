#pragma once
// Model tests that run once on a data file and once on the test server (the
// server run is skipped without TQEN_TEST_PG_URI): the session's data
// database is a copy of the delivered file or an empty server database, its
// work database a copy of the delivered work file.
#include "model/Session.h"
#include "tests/support/DeliveredFile.h"
#include "tests/support/ServerDb.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>
#include <string>

namespace tqen::testing {

enum class Engine { File, Server };

class BothEngines : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        if (GetParam() == Engine::Server) {
            TQEN_SKIP_WITHOUT_SERVER();
            server = std::make_unique<ServerDb>();
            ASSERT_TRUE(server->ok);
            session.dataDbPath = server->uri;
        } else {
            session.dataDbPath = copyDeliveredFile(dir, QStringLiteral("TqenData.mdb"));
            ASSERT_FALSE(session.dataDbPath.isEmpty());
        }
        session.workDbPath = copyDeliveredFile(dir, QStringLiteral("TqenWork.mdb"));
        ASSERT_FALSE(session.workDbPath.isEmpty());
    }
    // Whether the test is to go on after SetUp (not skipped, nothing failed).
    bool ready() const { return !IsSkipped() && !HasFatalFailure(); }

    QTemporaryDir dir;
    std::unique_ptr<ServerDb> server;
    model::Session session;
};

// The parameter's name in the test's name.
inline std::string engineName(const ::testing::TestParamInfo<Engine> &info) {
    return info.param == Engine::File ? "OnAFile" : "OnTheServer";
}

}  // namespace tqen::testing
