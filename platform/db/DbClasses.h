#pragma once
// Registers the component classes of the data access layer (data sources, the ADO
// connection and data sets, the field classes) so that form descriptions can create them
// by class name. Safe to call more than once.

namespace db {

void RegisterDbClasses();

}  // namespace db
