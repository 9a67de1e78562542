#pragma once

#include "data/Connection.h"
#include "data/Query.h"

#include <QString>
#include <QStringList>

// The data module: the one connection and the shared scratch queries, and the settings kept in
// the Remarks table. The program makes one (ShareDM) before any window and hands it to the
// windows, dialogs and settings that work on the database; nothing reaches it otherwise.
class TShareDM {
public:
    TShareDM();
    TShareDM(const TShareDM&) = delete;
    TShareDM& operator=(const TShareDM&) = delete;

    Connection ADOConnection1;
    Query ADOQueryTemp1;
    Query ADOQueryTemp2;
    Query ADOQueryNotAllowUse; // only for FillComboBox, ReadRemark and WriteRemark

    // The value of the setting `name`; empty text when there is none (nothing is created).
    QString ReadRemark(const QString& name);
    // Stores the setting, adding it when it is missing.
    bool WriteRemark(const QString& name, const QString& value);
    // A folder remembered in the setting `name` (the last one a file was saved to or chosen
    // from); the home folder when none is stored or it is gone.
    QString RememberedFolder(const QString& name);
    // Stores `folder` in the setting `name` when it differs from what is stored.
    void RememberFolder(const QString& name, const QString& folder);
};

// The fixed password of the database file.
extern const QString DatabasePassword;
// The database file's name in the program directory.
extern const QString DatabaseFileName;

// The directory of the running executable, ending with "/".
QString GetAppPath();

bool OpenSQL(Query& query, const QString& sql);
int ExecSQL(Query& query, const QString& sql);

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
