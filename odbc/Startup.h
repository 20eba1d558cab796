#pragma once
// Start-up and shutdown of the ODBC components, in the one order that works.

namespace odbc {

// Creates the default session (no environment is allocated until first use) and the hidden
// "ODBC Error" dialog, owned by the application object, which installs itself as the
// application's exception handler. Call once the application object exists, before the main
// window is created.
void StartUpOdbc();

// Frees the dialog (putting the previous exception handler back) and the default session
// with its environment, then unloads the driver manager. Call after the windows that use
// the ODBC components are gone. Raises when the driver manager cannot be unloaded.
void ShutDownOdbc();

}  // namespace odbc
