#include "OdbcTestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace odbctest {

TTempDir::TTempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "gw-odbc-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TTempDir::~TTempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void UseSqlite(odbc::TdbDataBase& database, const std::string& file)
{
    database.Params()->Clear();
    database.Params()->Add("DRIVER=SQLite3");
    database.Params()->Add("Database=" + file);
}

std::optional<int> PostgresPort()
{
    const char* text = std::getenv("GW_PG_PORT");
    if (text == nullptr || *text == '\0') return std::nullopt;
    const int port = std::atoi(text);
    if (port <= 0 || port > 65535) return std::nullopt;
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return std::nullopt;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool listening = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    if (!listening) return std::nullopt;
    return port;
}

void UsePostgres(odbc::TdbDataBase& database, int port)
{
    database.Params()->Clear();
    database.Params()->Add("DRIVER={PostgreSQL Unicode}");
    database.Params()->Add("Server=127.0.0.1");
    database.Params()->Add("Port=" + std::to_string(port));
    database.Params()->Add("Database=gridweaver_test");
    database.Params()->Add("UID=gridweaver");
    database.Params()->Add("PWD=gridweaver");
}

odbc::ESQLerror SqlErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const odbc::ESQLerror& e) {
        return e;
    }
    ADD_FAILURE() << "no ESQLerror was raised";
    return odbc::ESQLerror("(nothing raised)");
}

SQLRETURN ExecRaw(odbc::TdbDataBase& database, const std::string& sql)
{
    const odbc::TOdbcApi& api = odbc::Odbc();
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLRETURN r = api.SQLAllocHandle(SQL_HANDLE_STMT, database.Handle(), &statement);
    if (r != SQL_SUCCESS) return r;
    r = api.SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
    api.SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return r;
}

}  // namespace odbctest
