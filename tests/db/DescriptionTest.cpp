// The data components as a form description sets them up: a connection that never connects
// while loading, a query on it and a data source for the grid.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/classes/Streaming.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/DbClasses.h"
#include "platform/rtl/Files.h"

using namespace db;

TEST(DataComponents, ReadFromADescriptionAndWorkTogether)
{
    RegisterDbClasses();
    RegisterDbClasses();  // a second call changes nothing
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/d.db";
    rtl::WriteStringToFile(file, "");

    classes::TComponent module(nullptr);
    module.SetName("dmMain");
    int willConnect = 0;
    module.RegisterHandler("ado_connectionWillConnect",
                           std::any(TWillConnectEvent::Handler(
                               [&](TADOConnection*, std::string&, std::string&, std::string&, TConnectOption&,
                                   TEventStatus&) { ++willConnect; })));
    const std::string init = MakeOdbcInitString("DRIVER=SQLite3;Database=" + file);
    std::string quoted;
    for (char c : init) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    classes::ReadComponentText(module, "object dmMain: TComponent\r\n"
                                       "  object ado_connection: TADOConnection\r\n"
                                       "    ConnectionString = '" + quoted + "'\r\n"
                                       "    LoginPrompt = False\r\n"
                                       "    OnWillConnect = ado_connectionWillConnect\r\n"
                                       "  end\r\n"
                                       "  object ado_query: TADOQuery\r\n"
                                       "    Connection = ado_connection\r\n"
                                       "    SQL.Strings = (\r\n"
                                       "      'SELECT 1 AS one'\r\n"
                                       "      'UNION ALL SELECT 2')\r\n"
                                       "  end\r\n"
                                       "  object ds_query: TDataSource\r\n"
                                       "    DataSet = ado_query\r\n"
                                       "  end\r\n"
                                       "end\r\n");
    auto* connection = module.FindComponent<TADOConnection>("ado_connection");
    auto* query = module.FindComponent<TADOQuery>("ado_query");
    auto* source = module.FindComponent<TDataSource>("ds_query");
    ASSERT_TRUE(connection && query && source);
    EXPECT_FALSE(connection->Connected());
    EXPECT_FALSE(connection->LoginPrompt());
    EXPECT_EQ(query->Connection(), connection);
    EXPECT_EQ(source->DataSet(), query);
    query->Open();
    EXPECT_EQ(willConnect, 1);
    EXPECT_EQ(query->RecordCount(), 2);
    EXPECT_EQ(source->State(), dsBrowse);
}
