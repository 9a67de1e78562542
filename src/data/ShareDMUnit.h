#pragma once

#include "Connection.h"
#include "Query.h"

#include <QString>
#include <QStringList>

// The data module: the one connection and the shared scratch queries. Created once, before any
// window; the free operations below work on the instance that currently exists.
class TShareDM {
public:
    TShareDM();
    ~TShareDM();
    TShareDM(const TShareDM&) = delete;
    TShareDM& operator=(const TShareDM&) = delete;

    Connection ADOConnection1;
    Query ADOQueryTemp1;
    Query ADOQueryTemp2;
    Query ADOQueryNotAllowUse; // only for FillComboBox, ReadRemark and WriteRemark
};

// The instance that exists now (null before it is made and after it is gone).
extern TShareDM* ShareDM;

// The user name the log-in accepted; empty until then.
extern QString CurrentUserName;

// The fixed password of the database file.
extern const QString DatabasePassword;
// The database file's name in the program directory.
extern const QString DatabaseFileName;

// The directory of the running executable, ending with "/".
QString GetAppPath();

bool OpenSQL(Query& query, const QString& sql);
int ExecSQL(Query& query, const QString& sql);

QString ReadRemark(const QString& name);
bool WriteRemark(const QString& name, const QString& value);

// Compacts the database file in place (see DatabaseCompactor). Returns false, leaving the file
// as it was, when it is busy or anything fails; other connections to the file keep working.
bool CompactDatabase(const QString& path, const QString& password);

// The one quoting function for text values in composed SQL: 'text' with embedded quotes doubled.
QString QuotedSql(const QString& text);

// Fills a statement template: "%s" placeholders in order, or positional "%0:s", "%1:s" …
QString FormatSql(const QString& sqlTemplate, const QStringList& args);

// The statement FillDistinctCombo sends.
QString DistinctStatement(const QString& table, const QString& column, const QString& fragment);
// The account of one user (its PowerName and PowerKey), by its whole name: the login and the
// password settings read it alike.
QString UserStatement(const QString& userName);
