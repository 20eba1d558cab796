#include "odbc/Session.h"

#include <memory>

#include "odbc/Database.h"
#include "odbc/OdbcApi.h"
#include "odbc/Messages.h"
#include "platform/rtl/Exceptions.h"

namespace odbc {

GW_IMPLEMENT_CLASS(TdbSession, classes::TComponent) {}

TdbSession::TdbSession(classes::TComponent* owner) : TComponent(owner) {}

TdbSession::~TdbSession() { FreeEnvironment(); }

THandle TdbSession::Handle()
{
    if (!handle_) AllocEnvironment();
    return handle_.Get();
}

void TdbSession::AllocEnvironment()
{
    LoadODBCLibrary();
    const SQLHENV env = AllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, OdbcMessage(SCantAllocEnv));
    handle_ = TOwnedHandle(db::TOdbcHandleKind::Environment, env);
    const SQLRETURN r =
        Odbc().SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(r)) {
        FreeEnvironment();
        throw rtl::Exception(OdbcMessage(SCantSetEnvAttribute));
    }
}

bool TdbSession::FreeEnvironment()
{
    if (!handle_) return true;
    // An environment with live connections cannot be freed: close them first.
    while (!connections_.empty()) connections_.back()->Disconnect();
    // With the driver manager already unloaded there is nothing left to free (false).
    return handle_.Reset();
}

namespace {
std::unique_ptr<TdbSession>& DefaultSessionSlot()
{
    static std::unique_ptr<TdbSession> session;
    return session;
}
}  // namespace

TdbSession& DefaultSession()
{
    auto& slot = DefaultSessionSlot();
    if (!slot) slot = std::make_unique<TdbSession>(nullptr);
    return *slot;
}

void FreeDefaultSession() { DefaultSessionSlot().reset(); }

}  // namespace odbc
