#include "Schema.h"

QStringList SchemaStatements() {
    return {
        "CREATE TABLE Product (ProductIndex INTEGER PRIMARY KEY AUTOINCREMENT, "
        "ProductSerial TEXT, ProductName TEXT, ProductType TEXT, ProductUnit TEXT)",
        "CREATE TABLE Store (StoreIndex INTEGER PRIMARY KEY AUTOINCREMENT, "
        "StoreProduct INTEGER, StoreKind INTEGER, StoreNumber REAL, StorePrice REAL, "
        "StoreSum REAL, StoreRecordDate TEXT, StoreRemark TEXT)",
        "CREATE TABLE Power (PowerIndex INTEGER PRIMARY KEY AUTOINCREMENT, PowerName TEXT, "
        "PowerKey TEXT)",
        "CREATE TABLE Remarks (RemarksIndex INTEGER PRIMARY KEY AUTOINCREMENT, "
        "RemarksName TEXT, RemarksValue TEXT)",
        // Product look-ups by code, name filters.
        "CREATE INDEX ProductSerialIndex ON Product (ProductSerial)",
        "CREATE INDEX ProductNameIndex ON Product (ProductName, ProductType)",
        // Movement lists by date range. Not led by the kind: half the movements share each kind,
        // and an index on it would turn the unfiltered lists into slow lookups row by row
        // instead of one pass over the table.
        "CREATE INDEX StoreDateIndex ON Store (StoreRecordDate)",
        // The balance: per product and kind up to a date, answered from the index alone.
        "CREATE INDEX StoreBalanceIndex ON Store (StoreProduct, StoreKind, StoreRecordDate, "
        "StoreNumber)",
        "CREATE INDEX PowerNameIndex ON Power (PowerName)",
        "CREATE INDEX RemarksNameIndex ON Remarks (RemarksName)",
        "INSERT INTO Power (PowerName, PowerKey) VALUES ('管理员', '')",
        QString("PRAGMA user_version = %1").arg(SchemaVersion),
    };
}
