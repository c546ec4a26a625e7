#include "MasterDdl.h"

#include "catalog/DatabaseCreator.h"

void executeMasterDdl(const QString& databaseFile, const QString& statement)
{
    executeMasterDdl(catalog::CatalogLocation::localFile(databaseFile), statement);
}

void executeMasterDdl(const catalog::CatalogLocation& location, const QString& statement)
{
    // catalog::DatabaseError is a std::runtime_error.
    catalog::executeSchemaStatement(location, statement);
}
