#pragma once
// A query over the build's SQLite sample (share/Data/DBSamples/Sample1.db), through the ADO
// classes and the SQLite ODBC driver, with a data source on it: what the grid tests that run
// over real rows share. The connection is open; the query is not (tests open it when their
// grid is bound). Members die in reverse order: the query closes before its connection.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

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

// A query over a table of `rows` rows (id 1.., name "row <id>") in a SQLite file of its own,
// removed at the end: a result larger than the open reads. The query is not open.
struct TManyRowsQuery {
    explicit TManyRowsQuery(int rows)
        : path(std::filesystem::temp_directory_path() / ("gw_grid_many_" + std::to_string(::getpid()) + ".db"))
    {
        rtl::WriteStringToFile(path.string(), "");  // an empty file is an empty database
        conn.SetLoginPrompt(false);
        conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + path.string()));
        conn.Open();
        conn.Execute("CREATE TABLE many (id INTEGER PRIMARY KEY, name VARCHAR(20))");
        // INSERT first: the SQLite driver takes a statement that starts with WITH for a query.
        conn.Execute("INSERT INTO many WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " +
                     std::to_string(rows) + ") SELECT x, 'row ' || x FROM c");
        query.SetConnection(&conn);
        query.SQL()->SetText("SELECT id, name FROM many ORDER BY id");
        source.SetDataSet(&query);
    }
    ~TManyRowsQuery()
    {
        query.Close();
        conn.Close();
        std::filesystem::remove(path);
    }

    std::filesystem::path path;
    db::TADOConnection conn{nullptr};
    db::TADOQuery query{nullptr};
    db::TDataSource source{nullptr};
};

}  // namespace gridtest
