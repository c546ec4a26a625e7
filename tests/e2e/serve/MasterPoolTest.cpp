// The server's connections to the master: a master on a Firebird server behind a network that falls silent.
#include "MasterPool.h"

#include "support/ApplicationCopy.h"
#include "support/FirebirdServer.h"
#include "support/FreezingProxy.h"

#include <gtest/gtest.h>

namespace {

// A master on a server that falls silent: a job fails at the pool's deadline instead of holding its thread, and the
// next job, once the network is back, opens the connection anew.
TEST(MasterPool, AJobOnASilentMasterFailsAtItsDeadline)
{
    FirebirdServer server;
    const QString master = server.addCatalog("master.gdb", ApplicationCopy::distFile("KATALOG.GDB"));
    FreezingProxy network(server.port());
    catalog::CatalogLocation location =
        catalog::CatalogLocation::parse(QStringLiteral("127.0.0.1/%1:%2").arg(network.port).arg(master), {});
    location.setPassword(FirebirdServer::password());
    MasterPool pool(location, 1, 1000);
    const auto stamp = [](MasterCatalog& catalog) { return catalog.publication(); };
    const Publication before = pool.run(stamp);
    network.freeze();
    EXPECT_THROW(pool.run(stamp), catalog::DatabaseError);
    network.thaw();
    EXPECT_EQ(pool.run(stamp), before);
}

} // namespace
