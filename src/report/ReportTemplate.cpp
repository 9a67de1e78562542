#include "report/ReportTemplate.h"

#include "report/ReportBand.h"
#include "report/ReportError.h"
#include "report/ReportText.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace {

// A fault in one part of the document; the reader adds the file name.
struct TemplateFault {
    QString text;
};

[[noreturn]] void fault(const QString& text) {
    throw TemplateFault{text};
}

int wholeNumber(const QJsonObject& object, const char* key, int fallback) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return fallback;
    if (!value.isDouble())
        fault(QStringLiteral("%1 应是一个数").arg(QLatin1String(key)));
    return value.toInt();
}

ReportFont readFont(const QJsonValue& value, const ReportFont& fallback) {
    if (!value.isObject())
        return fallback;
    const QJsonObject object = value.toObject();
    ReportFont font = fallback;
    font.family = object.value("family").toString(fallback.family);
    font.size = object.value("size").toDouble(fallback.size);
    font.bold = object.value("bold").toBool(false);
    font.italic = object.value("italic").toBool(false);
    if (font.size <= 0)
        fault(QStringLiteral("字号必须大于 0"));
    return font;
}

void readBounds(const QJsonObject& json, ReportObject& object) {
    object.SetBounds(wholeNumber(json, "left", 0), wholeNumber(json, "top", 0),
                     wholeNumber(json, "width", 0), wholeNumber(json, "height", 0));
    if (object.Width < 0 || object.Height < 0)
        fault(QStringLiteral("宽度和高度不能为负"));
}

std::unique_ptr<ReportObject> readBand(const QJsonObject& json) {
    const QString kind = json.value("kind").toString();
    const std::optional<BandType> type = BandTypeFromName(kind);
    if (!type)
        fault(QStringLiteral("未知的数据带类型“%1”").arg(kind));
    auto band = std::make_unique<ReportBand>(*type);
    band->DataSet = json.value("dataset").toString();
    return band;
}

std::unique_ptr<ReportObject> readText(const QJsonObject& json, const ReportFont& pageFont) {
    auto text = std::make_unique<ReportText>();
    text->Band = json.value("band").toString();
    for (const QJsonValue line : json.value("lines").toArray())
        text->Lines << line.toString();
    if (json.contains("font"))
        text->Font = readFont(json.value("font"), pageFont);
    const QJsonObject properties = json.value("properties").toObject();
    for (auto it = properties.begin(); it != properties.end(); ++it) {
        if (!ReportText::IsPropName(it.key()))
            continue; // properties of later versions
        if (!it.value().isDouble())
            fault(QStringLiteral("属性 %1 应是一个整数").arg(it.key()));
        text->SetProp(it.key(), qint64(it.value().toDouble()));
    }
    return text;
}

std::unique_ptr<ReportObject> readObject(const QJsonObject& json, const ReportFont& pageFont) {
    const QString type = json.value("type").toString();
    std::unique_ptr<ReportObject> object;
    if (type == u"band")
        object = readBand(json);
    else if (type == u"text")
        object = readText(json, pageFont);
    else
        fault(QStringLiteral("未知的对象类型“%1”").arg(type));
    object->Name = json.value("name").toString();
    readBounds(json, *object);
    return object;
}

QString objectLabel(const QJsonObject& json, int index) {
    const QString name = json.value("name").toString();
    return name.isEmpty() ? QStringLiteral("第 %1 个对象").arg(index + 1)
                          : QStringLiteral("对象 %1").arg(name);
}

// A text object's band, when named, must be a band of the same page.
void checkBandNames(const ReportPage& page) {
    QSet<QString> bands;
    for (const auto& object : page.Objects()) {
        if (object->AsBand())
            bands.insert(object->Name);
    }
    for (const auto& object : page.Objects()) {
        const ReportText* text = object->AsText();
        if (text && !text->Band.isEmpty() && !bands.contains(text->Band))
            fault(QStringLiteral("对象 %1 所属的数据带 %2 不存在").arg(text->Name, text->Band));
    }
}

std::unique_ptr<ReportPage> readPage(const QJsonObject& json, QSet<QString>& names) {
    auto page = std::make_unique<ReportPage>();
    PageSetup& setup = page->Setup;
    setup.paper = json.value("paper").toString(setup.paper);
    setup.landscape = json.value("orientation").toString() == u"landscape";
    setup.width = wholeNumber(json, "width", setup.width);
    setup.height = wholeNumber(json, "height", setup.height);
    const QJsonObject margins = json.value("margins").toObject();
    setup.margins = QMargins(wholeNumber(margins, "left", 0), wholeNumber(margins, "top", 0),
                             wholeNumber(margins, "right", 0), wholeNumber(margins, "bottom", 0));
    if (setup.printableWidth() <= 0 || setup.printableHeight() <= 0)
        fault(QStringLiteral("页面尺寸或页边距不正确"));
    setup.defaultFont = readFont(json.value("defaultFont"), setup.defaultFont);

    const QJsonArray objects = json.value("objects").toArray();
    for (int i = 0; i < objects.size(); ++i) {
        const QJsonObject object = objects[i].toObject();
        try {
            page->Add(readObject(object, setup.defaultFont));
        } catch (const TemplateFault& inner) {
            fault(QStringLiteral("%1：%2").arg(objectLabel(object, i), inner.text));
        }
        const QString& name = page->Objects().back()->Name;
        if (name.isEmpty())
            continue;
        if (names.contains(name))
            fault(QStringLiteral("对象名称 %1 重复").arg(name));
        names.insert(name);
    }
    checkBandNames(*page);
    return page;
}

QByteArray readBytes(const QString& path) {
    if (!QFileInfo::exists(path))
        throw ReportError(QStringLiteral("找不到报表模板文件 %1。").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(
            QStringLiteral("无法读取报表模板文件 %1：%2。").arg(path, file.errorString()));
    return file.readAll();
}

std::vector<std::unique_ptr<ReportPage>> readDocument(const QJsonObject& root) {
    if (root.value("format").toString() != u"varnholt-report" || root.value("version").toInt() != 1)
        fault(QStringLiteral(
            "这不是本程序的报表模板（format 应为 varnholt-report，version 应为 1）"));
    const QJsonArray pages = root.value("pages").toArray();
    if (pages.isEmpty())
        fault(QStringLiteral("模板中没有页面"));
    std::vector<std::unique_ptr<ReportPage>> result;
    QSet<QString> names;
    for (int i = 0; i < pages.size(); ++i) {
        try {
            result.push_back(readPage(pages[i].toObject(), names));
        } catch (const TemplateFault& inner) {
            fault(QStringLiteral("第 %1 页，%2").arg(i + 1).arg(inner.text));
        }
    }
    return result;
}

} // namespace

std::vector<std::unique_ptr<ReportPage>> ReadReportTemplate(const QString& path) {
    const QByteArray bytes = readBytes(path);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw ReportError(QStringLiteral("报表模板文件 %1 格式不正确：%2（位置 %3）。")
                              .arg(path, parseError.errorString())
                              .arg(parseError.offset));
    try {
        if (!document.isObject())
            fault(QStringLiteral("整个文件应是一个 JSON 对象"));
        return readDocument(document.object());
    } catch (const TemplateFault& inner) {
        throw ReportError(QStringLiteral("报表模板文件 %1 有误：%2。").arg(path, inner.text));
    }
}
