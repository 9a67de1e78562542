#pragma once

#include "report/ReportFont.h"
#include "report/ReportObject.h"

#include <QMargins>
#include <QString>
#include <memory>
#include <vector>

// The paper of a page: size as oriented, in design units of 1/96 inch, and the margins around
// the printable area from whose top-left corner objects are placed.
struct PageSetup {
    QString paper = QStringLiteral("A4");
    bool landscape = false;
    int width = 794;
    int height = 1123;
    QMargins margins;
    ReportFont defaultFont{DefaultReportFontFamily(), 9, false, false};

    int printableWidth() const { return width - margins.left() - margins.right(); }
    int printableHeight() const { return height - margins.top() - margins.bottom(); }
};

// A design page: its paper and its list of objects (bands and text objects), which it owns.
class ReportPage {
public:
    PageSetup Setup;

    // Appends an object to the list and returns it.
    template <class T> T* Add(std::unique_ptr<T> object) {
        T* added = object.get();
        m_objects.push_back(std::move(object));
        return added;
    }
    const std::vector<std::unique_ptr<ReportObject>>& Objects() const { return m_objects; }
    int ObjectCount() const { return int(m_objects.size()); }
    ReportObject* Object(int index) const { return m_objects.at(std::size_t(index)).get(); }
    ReportObject* FindObject(const QString& name) const;

private:
    std::vector<std::unique_ptr<ReportObject>> m_objects;
};
