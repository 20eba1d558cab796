#pragma once
// TdbSession: one ODBC environment, allocated the first time it is needed.

#include <vector>

#include "odbc/OdbcSql.h"
#include "platform/classes/Component.h"

namespace odbc {

class TdbDataBase;

class TdbSession : public classes::TComponent {
    GW_CLASS(TdbSession)

public:
    explicit TdbSession(classes::TComponent* owner);
    ~TdbSession() override;

    // The environment handle; the first read loads the driver manager and allocates it.
    // Raises the driver manager's load errors, 65129 when the environment cannot be
    // allocated and 65108 when it cannot be set to ODBC 3 (the handle is then freed again).
    THandle Handle();
    bool HandleAllocated() const noexcept { return static_cast<bool>(handle_); }

    // Disconnects the databases connected on this environment, then frees it. True when
    // there was none or the driver manager freed it.
    bool FreeEnvironment();

private:
    friend class TdbDataBase;
    void AllocEnvironment();

    TOwnedHandle handle_;
    // Databases whose live connection was made on this environment.
    std::vector<TdbDataBase*> connections_;
};

// The session of every database without one of its own. The start-up routine creates it;
// until then the first use does.
TdbSession& DefaultSession();
// Frees it (with its environment); the next DefaultSession() makes a new one.
void FreeDefaultSession();

}  // namespace odbc
