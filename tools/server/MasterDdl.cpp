#include "MasterDdl.h"

#include "catalog/DatabaseCreator.h"

void executeMasterDdl(const QString& databaseFile, const QString& statement)
{
    // catalog::DatabaseError is a std::runtime_error.
    catalog::executeSchemaStatement(catalog::CatalogLocation::localFile(databaseFile), statement);
}
