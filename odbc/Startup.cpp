#include "odbc/Startup.h"

#include "odbc/ErrorDialog.h"
#include "odbc/OdbcApi.h"
#include "odbc/Session.h"

namespace odbc {

void StartUpOdbc()
{
    DefaultSession();
    if (ODBCErrorDialog() == nullptr) new TdbODBCErrorDlg(&ui::Application());
}

void ShutDownOdbc()
{
    delete ODBCErrorDialog();
    FreeDefaultSession();
    UnloadODBCLibrary();
}

}  // namespace odbc
