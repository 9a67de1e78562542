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
        // Movement lists by kind and date range.
        "CREATE INDEX StoreKindDateIndex ON Store (StoreKind, StoreRecordDate)",
        // The balance: per product and kind up to a date, answered from the index alone.
        "CREATE INDEX StoreBalanceIndex ON Store (StoreProduct, StoreKind, StoreRecordDate, "
        "StoreNumber)",
        "CREATE INDEX PowerNameIndex ON Power (PowerName)",
        "CREATE INDEX RemarksNameIndex ON Remarks (RemarksName)",
        "INSERT INTO Power (PowerName, PowerKey) VALUES ('管理员', '')",
        QString("PRAGMA user_version = %1").arg(SchemaVersion),
    };
}
