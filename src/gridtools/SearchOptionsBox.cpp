#include "SearchOptionsBox.h"

#include <QCheckBox>
#include <QVBoxLayout>

SearchOptionsBox::SearchOptionsBox(QWidget *parent) : QGroupBox(QStringLiteral("Opcje"), parent)
{
    setObjectName(QStringLiteral("GroupBox1"));
    cbCaseSensitive = new QCheckBox(QStringLiteral("Uwzględniaj wielkość liter"), this);
    cbCaseSensitive->setObjectName(QStringLiteral("cbCaseSensitive"));
    cbPartialKey = new QCheckBox(QStringLiteral("Szukanie przybliżone"), this);
    cbPartialKey->setObjectName(QStringLiteral("cbPartialKey"));
    cbPartialKey->setChecked(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(cbCaseSensitive);
    layout->addWidget(cbPartialKey);
}

DataSet::LocateOptions SearchOptionsBox::options() const
{
    DataSet::LocateOptions options;
    if (!cbCaseSensitive->isChecked())
        options |= DataSet::loCaseInsensitive;
    if (cbPartialKey->isChecked())
        options |= DataSet::loPartialKey;
    return options;
}
