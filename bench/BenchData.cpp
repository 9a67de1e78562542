#include "BenchData.h"

#include "BenchSupport.h"
#include "data/Connection.h"
#include "data/DataError.h"
#include "data/DatabaseCompactor.h"
#include "data/ShareDMUnit.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <sqlcipher/sqlite3.h>
#include <string>
#include <vector>

namespace {

// Bumped whenever the generated data or the files' schema changes, so that files of an older
// generator are not reused (and files that older programs still use are never upgraded in
// place). 4: files of schema version 3. 5: compacted at the end, as the program leaves a file.
constexpr int DataVersion = 5;

constexpr int Names = 20'000;
const QDate FirstDay(2016, 1, 1);
constexpr int Days = 3653; // ten years

// A small, fast generator with a fixed seed: every run makes the same file.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next() {
        m_state += 0x9E3779B97F4A7C15ULL;
        std::uint64_t z = m_state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }

private:
    std::uint64_t m_state;
};

template <std::size_t N> const char* pick(const std::array<const char*, N>& list, int i) {
    return list[static_cast<std::size_t>(i) % N];
}

const std::array<const char*, 40> materials = {
    "不锈钢", "镀锌", "碳钢",   "黄铜",   "紫铜", "铝合金", "尼龙", "PVC",    "PPR",    "铸铁",
    "304",    "316",  "高强度", "发黑",   "镀镍", "热镀锌", "塑料", "橡胶",   "陶瓷",   "玻璃钢",
    "实木",   "竹制", "硅胶",   "聚氨酯", "纯棉", "帆布",   "牛皮", "加厚PE", "ABS",    "亚克力",
    "钛合金", "锰钢", "弹簧钢", "铬钒钢", "工程", "防爆",   "防水", "阻燃",   "耐高温", "食品级"};
const std::array<const char*, 100> items = {
    "六角螺栓", "内六角螺钉", "自攻螺丝", "膨胀螺丝", "平垫圈", "弹簧垫圈", "六角螺母", "蝶形螺母",
    "铆钉",     "销轴",       "球阀",     "闸阀",     "止回阀", "截止阀",   "弯头",     "三通",
    "直接",     "法兰",       "管卡",     "软管",     "水管",   "电缆",     "护套线",   "网线",
    "开关",     "插座",       "断路器",   "接触器",   "继电器", "灯管",     "灯泡",     "筒灯",
    "面板灯",   "胶带",       "密封胶",   "油漆",     "防锈漆", "稀释剂",   "手套",     "口罩",
    "安全帽",   "护目镜",     "钻头",     "锯片",     "砂轮片", "砂纸",     "扳手",     "螺丝刀",
    "钳子",     "锤子",       "卷尺",     "水平尺",   "角磨机", "电钻",     "焊条",     "焊丝",
    "合页",     "拉手",       "门锁",     "挂锁",     "滑轨",   "轴承",     "皮带",     "链条",
    "齿轮",     "弹簧",       "密封圈",   "O型圈",    "垫片",   "扎带",     "线槽",     "线管",
    "接线端子", "保险丝",     "电池",     "插头",     "延长线", "水龙头",   "花洒",     "地漏",
    "角阀",     "马桶配件",   "脚轮",     "托盘",     "周转箱", "货架",     "梯子",     "推车",
    "绳子",     "铁丝",       "钢丝绳",   "钢管",     "角铁",   "槽钢",     "扁铁",     "圆钢",
    "钢板",     "铝板",       "木板",     "石膏板"};
const std::array<const char*, 5> grades = {"", "加长", "国标", "重型", "精品"};
const std::array<const char*, 10> units = {"个", "只", "米", "箱", "卷",
                                           "套", "把", "桶", "包", "盒"};
const std::array<const char*, 8> modelForms = {"M%1×%2", "DN%1", "%1mm",    "%1寸",
                                               "%1#",    "A-%2", "%1×%2cm", "%1L"};
const std::array<const char*, 12> people = {"王师傅", "李经理", "张工",   "刘会计",
                                            "陈老板", "杨主任", "赵师傅", "黄经理",
                                            "周工",   "吴主管", "孙师傅", "郑老板"};
const std::array<const char*, 10> places = {"城东仓库", "城西工地", "开发区", "老厂房", "三号库",
                                            "门市部",   "南湖小区", "高新区", "物流园", "五金市场"};
const std::array<const char*, 8> remarkForms = {
    "送货至%1，%2签收，单号 SH%3", "客户：%1，联系人%2，电话 1%3", "退货：包装破损 %4 件，%2经手",
    "%1调拨，%2 确认，批次 %3",    "补货 %4 箱，随车单据 %3",      "样品，%2 带走，次日归还",
    "年前备货，%1 暂存，编号 %3",  "质检不合格返厂 %4 件，%2 处理"};
const std::array<const char*, 4> commonRemarks = {"月底盘点", "样品", "赠品", "盘点调整"};

struct ProductRow {
    double price;
};

QString modelText(Random& random) {
    const QString form = QString::fromUtf8(pick(modelForms, random.below(8)));
    return QString(form)
        .replace("%1", QString::number(3 + random.below(60)))
        .replace("%2", QString::number(5 * (1 + random.below(40))));
}

QString remarkText(Random& random) {
    if (random.below(10) == 0)
        return QString::fromUtf8(pick(commonRemarks, random.below(4)));
    QString text = QString::fromUtf8(pick(remarkForms, random.below(8)));
    return text.replace("%1", QString::fromUtf8(pick(places, random.below(10))))
        .replace("%2", QString::fromUtf8(pick(people, random.below(12))))
        .replace("%3", QString::number(1'000'000 + random.below(9'000'000)))
        .replace("%4", QString::number(1 + random.below(50)));
}

class Inserter {
public:
    Inserter(sqlite3* db, const char* sql) : m_db(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            throw DataError(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    ~Inserter() { sqlite3_finalize(m_statement); }
    void text(int position, const QString& value) {
        const QByteArray utf8 = value.toUtf8();
        sqlite3_bind_text(m_statement, position, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
    }
    void integer(int position, qint64 value) { sqlite3_bind_int64(m_statement, position, value); }
    void real(int position, double value) { sqlite3_bind_double(m_statement, position, value); }
    void run() {
        if (sqlite3_step(m_statement) != SQLITE_DONE)
            throw DataError(QString::fromUtf8(sqlite3_errmsg(m_db)));
        sqlite3_reset(m_statement);
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
};

// 20,000 distinct names, each in two to six models: every product row has a code of its own.
std::vector<ProductRow> fillProducts(sqlite3* db, Random& random) {
    Inserter insert(db, "INSERT INTO Product (ProductSerial,ProductName,ProductType,ProductUnit) "
                        "VALUES (?,?,?,?)");
    std::vector<ProductRow> products;
    for (int n = 0; n < Names; ++n) {
        const QString name = QString::fromUtf8(pick(grades, n / 4000)) +
                             QString::fromUtf8(pick(materials, n % 40)) +
                             QString::fromUtf8(pick(items, (n / 40) % 100));
        const QString unit = QString::fromUtf8(pick(units, random.below(10)));
        const double basePrice = 0.05 + random.unit() * random.unit() * 800;
        const int models = 2 + random.below(5);
        QStringList seen;
        for (int m = 0; m < models; ++m) {
            QString model = modelText(random);
            if (seen.contains(model))
                continue;
            seen << model;
            const int serial = static_cast<int>(products.size()) + 1;
            insert.text(1, QStringLiteral("%1%2")
                               .arg(QChar(u'A' + serial % 26))
                               .arg(serial * 7 % 1'000'000, 6, 10, QChar(u'0')));
            insert.text(2, name);
            insert.text(3, model);
            insert.text(4, unit);
            insert.run();
            products.push_back({std::round(basePrice * (1 + 0.3 * m) * 100) / 100});
        }
    }
    return products;
}

// Movements in the order a shop records them: day by day over ten years, two thirds received,
// a popular few products moving much more often than the rest, a remark on a third of them.
void fillMovements(sqlite3* db, Random& random, int movements,
                   const std::vector<ProductRow>& products) {
    Inserter insert(db, "INSERT INTO Store (StoreProduct,StoreKind,StoreNumber,StorePrice,"
                        "StoreSum,StoreRecordDate,StoreRemark) VALUES (?,?,?,?,?,?,?)");
    const int productCount = static_cast<int>(products.size());
    for (int i = 0; i < movements; ++i) {
        // Skewed popularity: squaring a uniform number favours the low product numbers.
        const double u = random.unit();
        const int product = static_cast<int>(u * u * productCount) % productCount;
        const int kind = random.below(3) == 0 ? 1 : 0;
        const double number = kind == 0 ? (random.below(4) == 0 ? 0.5 * (1 + random.below(400))
                                                                : 10 * (1 + random.below(50)))
                                        : 1 + random.below(40);
        const double price = products[product].price * (0.9 + 0.2 * random.unit());
        const double roundedPrice = std::round(price * 100) / 100;
        int day = static_cast<int>(static_cast<qint64>(i) * Days / movements);
        if (random.below(20) == 0)
            day = std::max(0, day - random.below(10)); // entered a few days late
        insert.integer(1, product + 1);
        insert.integer(2, kind);
        insert.real(3, number);
        insert.real(4, roundedPrice);
        insert.real(5, std::round(number * roundedPrice * 100) / 100);
        insert.text(6, FirstDay.addDays(day).toString(QStringLiteral("yyyy-MM-dd 00:00:00")));
        insert.text(7, random.below(3) == 0 ? remarkText(random) : QString());
        insert.run();
    }
}

void fill(Connection& connection, int movements) {
    sqlite3* db = RawHandle(connection);
    Random random(20160101);
    connection.Execute("BEGIN");
    const std::vector<ProductRow> products = fillProducts(db, random);
    fillMovements(db, random, movements, products);
    connection.Execute("COMMIT");
}

QString fileName(const QString& kind, int movements) {
    return QDir::temp().filePath(
        QString("varnholt-bench-v%1-%2-%3.mdb").arg(DataVersion).arg(kind).arg(movements));
}

} // namespace

QString BenchDatabase(int movements) {
    const QString path = fileName("shop", movements);
    if (QFile::exists(path))
        return path;
    const QString partial = path + ".partial";
    QFile::remove(partial);
    Connection::CreateDatabase(partial, DatabasePassword);
    {
        Connection connection;
        connection.OpenFile(partial, DatabasePassword);
        fill(connection, movements);
    }
    // The program compacts its file at exit, so a shop's file has its tables and indexes each in
    // one run of pages, as the unencrypted copy (written table by table) has too.
    DatabaseCompactor compactor(partial, DatabasePassword);
    if (!compactor.run())
        throw DataError(compactor.refusal());
    QFile::rename(partial, path);
    return path;
}

QString PlainBenchDatabase(int movements) {
    const QString path = fileName("plain", movements);
    if (QFile::exists(path))
        return path;
    const QString partial = path + ".partial";
    QFile::remove(partial);
    QFile empty(partial); // an empty file is an empty database; the connection creates no files
    if (!empty.open(QIODevice::WriteOnly))
        throw DataError(QStringLiteral("cannot create %1").arg(partial));
    empty.close();
    Connection connection;
    connection.OpenFile(BenchDatabase(movements), DatabasePassword);
    QString quoted = partial;
    quoted.replace('\'', "''");
    connection.Execute("ATTACH DATABASE '" + quoted + "' AS plain KEY ''");
    connection.Execute("SELECT sqlcipher_export('plain')");
    connection.Execute("DETACH DATABASE plain");
    QFile::rename(partial, path);
    return path;
}

sqlite3* OpenPlainDatabase(const QString& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        throw DataError(QStringLiteral("cannot open %1").arg(path));
    }
    return db;
}
