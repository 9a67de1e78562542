#include "BenchData.h"

#include "Connection.h"
#include "ShareDMUnit.h"

#include <QDir>
#include <QFile>

namespace {

void fill(Connection& connection, int movements, int products) {
    connection.Execute("BEGIN");
    // Names and models repeat the way a shop's catalogue does: a few hundred names, each in
    // several models.
    connection.Execute(
        QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<{products}) "
                "INSERT INTO Product (ProductSerial,ProductName,ProductType,ProductUnit) "
                "SELECT printf('P%05d',i), "
                "substr('螺丝螺母垫圈钢管角铁铜线电缆开关插座灯泡水管阀门油漆胶带',1+2*(i%20),2)"
                "||'-'||(i%150), 'M'||(i%7), substr('个只米箱卷',1+(i%5),1) FROM n")
            .replace("{products}", QString::number(products)));
    QString movementsSql =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<{movements}) "
        "INSERT INTO Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,"
        "StoreRecordDate,StoreRemark) "
        "SELECT 1+(i*7919)%{products}, CASE WHEN i%3=0 THEN 1 ELSE 0 END, (i%97)+0.25, "
        "(i%500)/10.0, ((i%97)+0.25)*((i%500)/10.0), "
        "date('2016-01-01','+'||((i*31)%3650)||' days')||' 00:00:00', "
        "CASE WHEN i%10=0 THEN '月底盘点' ELSE '' END FROM n";
    movementsSql.replace("{movements}", QString::number(movements))
        .replace("{products}", QString::number(products));
    connection.Execute(movementsSql);
    connection.Execute("COMMIT");
}

} // namespace

QString BenchDatabase(int movements, int products) {
    const QString path =
        QDir::temp().filePath(QString("varnholt-bench-%1-%2.mdb").arg(movements).arg(products));
    if (QFile::exists(path))
        return path;
    const QString partial = path + ".partial";
    QFile::remove(partial);
    Connection::CreateDatabase(partial, DatabasePassword);
    {
        Connection connection;
        connection.OpenFile(partial, DatabasePassword);
        fill(connection, movements, products);
    }
    QFile::rename(partial, path);
    return path;
}
