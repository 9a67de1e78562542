#pragma once

#include <QString>

// A report data source: the records that a master data band prints, and the text of their
// fields. The report reaches it by its own name (a band's DataSet, e.g. "frDBDataSet1") and by
// the name of the dataset it reads (the Dataset of a [Dataset.Field] reference). It must
// outlive every report prepared from it, and hold still while that report is shown.
class ReportDataSource {
public:
    virtual ~ReportDataSource() = default;

    virtual QString Name() const = 0;
    virtual QString DataSetName() const = 0;
    virtual int RecordCount() const = 0;
    // A field by name: an index for FieldText, or -1 when there is no such field.
    virtual int FieldIndex(const QString& field) const = 0;
    // The printed text of a field of a record (0-based, in the data source's order).
    virtual QString FieldText(int record, int field) const = 0;
};
