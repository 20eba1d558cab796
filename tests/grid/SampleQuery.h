#pragma once
// A query over the build's SQLite sample (share/Data/DBSamples/Sample1.db), through the ADO
// classes and the SQLite ODBC driver, with a data source on it: what the grid tests that run
// over real rows share. The connection is open; the query is not (tests open it when their
// grid is bound). Members die in reverse order: the query closes before its connection.

#include <gtest/gtest.h>

#include <string>

#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/Files.h"

namespace gridtest {

struct TSampleQuery {
    explicit TSampleQuery(const std::string& sql)
    {
        const std::string file = std::string(GW_BINARY_DIR) + "/share/Data/DBSamples/Sample1.db";
        EXPECT_TRUE(rtl::FileExists(file)) << "the build makes " << file;
        conn.SetLoginPrompt(false);
        conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + file));
        conn.Open();
        query.SetConnection(&conn);
        query.SQL()->SetText(sql);
        source.SetDataSet(&query);
    }

    db::TADOConnection conn{nullptr};
    db::TADOQuery query{nullptr};
    db::TDataSource source{nullptr};
};

}  // namespace gridtest
