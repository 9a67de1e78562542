#include "data/ServerChoice.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/ProgramFolders.h"

#include <QFile>
#include <QRegularExpression>

QString ChosenServer(const ProgramFolders& folders, const QProcessEnvironment& env,
                     const QString& systemFolder) {
    const QString variable = env.value(QStringLiteral("VARNHOLT_SERVER")).trimmed();
    if (!variable.isEmpty())
        return variable;
    const QString path = FindServerFile(folders, systemFolder);
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DataError(QStringLiteral("无法读取服务器文件 %1：%2").arg(path, file.errorString()));
    const QString line = QString::fromUtf8(file.readLine()).trimmed();
    if (line.isEmpty())
        throw DataError(QStringLiteral("服务器文件 %1 的第一行是空的：它应当写着数据库服务器的"
                                       "连接字符串，例如 postgresql://host/stock。")
                            .arg(path));
    return line;
}

QString ChosenDatabase(const ProgramFolders& folders, const QString& path) {
    const QString server =
        ChosenServer(folders, QProcessEnvironment::systemEnvironment(), SystemConfigFolder);
    return server.isEmpty() ? path : server;
}

void OpenChosenDatabase(Connection& connection, const ProgramFolders& folders, const QString& path,
                        const QString& password) {
    connection.Open(ChosenDatabase(folders, path), password);
}

bool IsServerAddress(const QString& text) {
    static const QRegularExpression uri(QStringLiteral("^postgres(ql)?://"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression keyValue(QStringLiteral("^\\s*[a-z_]+\\s*="));
    return uri.match(text).hasMatch() || keyValue.match(text).hasMatch();
}
