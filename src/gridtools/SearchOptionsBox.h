#pragma once

#include "db/DataSet.h"

#include <QGroupBox>

class QCheckBox;

// The "Opcje" group of the search dialogs: "Uwzględniaj wielkość liter" (off at start) and
// "Szukanie przybliżone" (on at start).
class SearchOptionsBox : public QGroupBox {
    Q_OBJECT
public:
    explicit SearchOptionsBox(QWidget *parent = nullptr);
    // loCaseInsensitive when the case box is not ticked, loPartialKey when the partial box is.
    DataSet::LocateOptions options() const;

    QCheckBox *cbCaseSensitive, *cbPartialKey;
};
