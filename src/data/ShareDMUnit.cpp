#include "data/ShareDMUnit.h"

#include "data/DataError.h"
#include "data/DatabaseCompactor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

const QString DatabasePassword = QStringLiteral("wren60419375827");
const QString DatabaseFileName = QStringLiteral("Varnholt.mdb");

TShareDM::TShareDM()
    : ADOQueryTemp1(&ADOConnection1), ADOQueryTemp2(&ADOConnection1),
      ADOQueryNotAllowUse(&ADOConnection1) {}

QString GetAppPath() {
    QString path = QCoreApplication::applicationDirPath();
    if (!path.endsWith('/'))
        path += '/';
    return path;
}

QString UserStatement(const QString& userName) {
    return QStringLiteral("select * from Power where PowerName=") + QuotedSql(userName);
}

bool OpenSQL(Query& query, const QString& sql) {
    query.Close();
    query.SQL().clear();
    query.SQL().append(sql);
    query.Open();
    return true;
}

int ExecSQL(Query& query, const QString& sql) {
    query.Close();
    query.SQL().clear();
    query.SQL().append(sql);
    return query.ExecSQL();
}

QString QuotedSql(const QString& text) {
    QString quoted = text;
    quoted.replace('\'', QStringLiteral("''"));
    return '\'' + quoted + '\'';
}

QString FormatSql(const QString& sqlTemplate, const QStringList& args) {
    static const QRegularExpression placeholder(QStringLiteral("%(?:(\\d+):)?s"));
    QString result;
    qsizetype last = 0;
    int next = 0;
    auto it = placeholder.globalMatch(sqlTemplate);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        result += sqlTemplate.mid(last, match.capturedStart() - last);
        const int index = match.captured(1).isEmpty() ? next++ : match.captured(1).toInt();
        if (index < 0 || index >= args.size())
            throw DataError(QStringLiteral("SQL 模板缺少第 %1 个参数。").arg(index));
        result += args[index];
        last = match.capturedEnd();
    }
    return result + sqlTemplate.mid(last);
}

QString DistinctStatement(const QString& table, const QString& column, const QString& fragment) {
    return FormatSql(QStringLiteral("select Distinct %0:s from %1:s where 0=0 %2:s"),
                     {column, table, fragment});
}

namespace {
QString remarkStatement(const QString& name) {
    return QStringLiteral("select * from Remarks where RemarksName=") + QuotedSql(name);
}
} // namespace

QString TShareDM::ReadRemark(const QString& name) {
    Query& query = ADOQueryNotAllowUse;
    OpenSQL(query, remarkStatement(name));
    return query.RecordCount() > 0 ? query.AsString("RemarksValue") : QString();
}

bool TShareDM::WriteRemark(const QString& name, const QString& value) {
    Query& query = ADOQueryNotAllowUse;
    OpenSQL(query, remarkStatement(name));
    query.Edit();
    query.SetField("RemarksName", name);
    query.SetField("RemarksValue", value);
    query.Post();
    return true;
}

QString TShareDM::RememberedFolder(const QString& name) {
    const QString folder = ReadRemark(name);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

void TShareDM::RememberFolder(const QString& name, const QString& folder) {
    if (ReadRemark(name) != folder)
        WriteRemark(name, folder);
}

bool CompactDatabase(const QString& path, const QString& password) {
    return DatabaseCompactor(path, password).run();
}
