#include "report/ReportText.h"

#include "report/ReportError.h"

namespace {

[[noreturn]] void unknownProperty(const QString& name) {
    throw ReportError(QStringLiteral("文本对象没有名为 %1 的属性。").arg(name));
}

} // namespace

bool ReportText::IsPropName(const QString& name) {
    return name == u"Alignment" || name == u"FrameTyp" || name == u"FillColor" ||
           name == u"Font.Color";
}

void ReportText::SetProp(const QString& name, qint64 value) {
    if (name == u"Alignment")
        Alignment = int(value);
    else if (name == u"FrameTyp")
        FrameTyp = int(value);
    else if (name == u"FillColor")
        FillColor = quint32(value);
    else if (name == u"Font.Color")
        FontColor = quint32(value);
    else
        unknownProperty(name);
}

qint64 ReportText::Prop(const QString& name) const {
    if (name == u"Alignment")
        return Alignment;
    if (name == u"FrameTyp")
        return FrameTyp;
    if (name == u"FillColor")
        return FillColor.value_or(clNone);
    if (name == u"Font.Color")
        return FontColor;
    unknownProperty(name);
}

void ReportText::SetText(const QString& text) {
    Lines = text.isEmpty() ? QStringList() : text.split(u'\n');
}
