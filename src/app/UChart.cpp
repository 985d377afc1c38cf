#include "UChart.h"

#include "UiServices.h"
#include "db/DataSet.h"
#include "platform/Errors.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int kZoomLimit = 20;

template <class W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QGroupBox *radioGroup(const char *name, const QString &caption, std::initializer_list<QRadioButton **> buttons,
                      std::initializer_list<const char *> captions, QWidget *parent)
{
    auto *group = named(new QGroupBox(caption, parent), name);
    auto *layout = new QVBoxLayout(group);
    auto text = captions.begin();
    for (QRadioButton **button : buttons) {
        *button = new QRadioButton(QString::fromUtf8(*text++), group);
        layout->addWidget(*button);
    }
    (*buttons.begin())[0]->setChecked(true);
    return group;
}

} // namespace

// The chart itself: the renderer painting into the widget; a drag pans the bottom axis.
class TFrmChart::ChartArea : public QWidget {
public:
    explicit ChartArea(TFrmChart &window) : QWidget(&window), m_window(window)
    {
        setFocusPolicy(Qt::StrongFocus);
        setMinimumSize(200, 150);
    }

    // Below the line of the "Max" button, the chart's empty title line.
    QRectF chartRect() const { return QRectF(rect()).adjusted(0, 24, 0, 0); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        ChartView(m_window.m_data, m_window.m_options, m_window.m_axes).paint(painter, chartRect());
        // ChartAfterDraw: the options come alive once the chart has been drawn.
        m_window.setOptionsEnabled(true);
    }
    void mousePressEvent(QMouseEvent *event) override { m_lastX = event->position().x(); }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (!(event->buttons() & Qt::LeftButton))
            return;
        m_window.panBy(event->position().x() - m_lastX);
        m_lastX = event->position().x();
    }

private:
    TFrmChart &m_window;
    double m_lastX = 0;
};

TFrmChart::TFrmChart(DataSet &dataSet, UiServices &ui, QWidget *parent) : QDialog(parent), m_dataSet(dataSet), m_ui(ui)
{
    setObjectName(QStringLiteral("FrmChart"));
    setWindowTitle(QStringLiteral("Wykresy"));
    resize(860, 640);
    Panel1 = named(new QWidget(this), "Panel1");
    auto *runPnl = named(new QGroupBox(Panel1), "RunPnl");
    QFont bold = runPnl->font();
    bold.setBold(true);
    runPnl->setFont(bold);
    auto *fields = new QGridLayout(runPnl);
    ComboBox1 = named(new QComboBox(runPnl), "ComboBox1");
    ComboBox2 = named(new QComboBox(runPnl), "ComboBox2");
    ComboBox3 = named(new QComboBox(runPnl), "ComboBox3");
    const char *labels[] = {"Oś  X", "Oś  Y", "Serie"};
    int row = 0;
    for (QComboBox *box : {ComboBox1, ComboBox2, ComboBox3}) {
        box->setEditable(true);
        box->setMinimumWidth(170);
        fields->addWidget(new QLabel(QString::fromUtf8(labels[row]), runPnl), row, 0);
        fields->addWidget(box, row++, 1, 1, 2);
    }
    ExitBtn = named(new QPushButton(QStringLiteral("Zamknij"), runPnl), "ExitBtn");
    RunBtn = named(new QPushButton(QStringLiteral("Wykonaj"), runPnl), "RunBtn");
    RunBtn->setDefault(true);
    fields->addWidget(ExitBtn, row, 1);
    fields->addWidget(RunBtn, row, 2);

    ShapeRG = radioGroup("ShapeRG", QStringLiteral("Kształt wykresu"), {&rbBars, &rbLines}, {"Słupki", "Linie"}, Panel1);
    FormsRG = radioGroup("FormsRG", QStringLiteral("Forma wykresu"), {&rb3D, &rbFlat}, {"przestrzenny", "płaski"}, Panel1);
    BarFormsRG = radioGroup("BarFormsRG", QStringLiteral("Forma słupków"), {&rbSideBySide, &rbStacked, &rbStacked100},
                            {"obok siebie", "stos", "stos 100%"}, Panel1);
    // Hidden for lines, it keeps its place, and the other groups theirs.
    QSizePolicy keepsPlace = BarFormsRG->sizePolicy();
    keepsPlace.setRetainSizeWhenHidden(true);
    BarFormsRG->setSizePolicy(keepsPlace);
    MovePnl = named(new QWidget(Panel1), "MovePnl");
    auto *moves = new QHBoxLayout(MovePnl);
    const QStyle *s = style();
    const auto arrow = [&](const char *name, QStyle::StandardPixmap icon, const QString &hint) {
        auto *b = named(new QPushButton(MovePnl), name);
        b->setIcon(s->standardIcon(icon));
        b->setToolTip(hint);
        b->setFixedSize(30, 28);
        moves->addWidget(b);
        return b;
    };
    UpBtn = arrow("UpBtn", QStyle::SP_ArrowUp, QStringLiteral("W górę"));
    DownBtn = arrow("DownBtn", QStyle::SP_ArrowDown, QStringLiteral("W dół"));
    LeftBtn = arrow("LeftBtn", QStyle::SP_ArrowLeft, QStringLiteral("W lewo"));
    RightBtn = arrow("RightBtn", QStyle::SP_ArrowRight, QStringLiteral("W prawo"));
    Panel2 = named(new QWidget(Panel1), "Panel2");
    ChkBoxMarks = named(new QCheckBox(QStringLiteral("Tabliczki"), Panel2), "ChkBoxMarks");
    (new QHBoxLayout(Panel2))->addWidget(ChkBoxMarks);
    ZoomGB = named(new QGroupBox(QStringLiteral("Zmiany wielkości"), Panel1), "ZoomGB");
    auto *zooms = new QVBoxLayout(ZoomGB);
    ZoomInBtn = named(new QPushButton(QStringLiteral("Powiększ"), ZoomGB), "ZoomInBtn");
    ZoomOutBtn = named(new QPushButton(QStringLiteral("Zmniejsz"), ZoomGB), "ZoomOutBtn");
    ResetBtn = named(new QPushButton(QStringLiteral("Reset"), ZoomGB), "ResetBtn");
    for (QPushButton *b : {ZoomInBtn, ZoomOutBtn, ResetBtn})
        zooms->addWidget(b);
    Panel3 = named(new QWidget(Panel1), "Panel3");
    PrintBtn = named(new QPushButton(QStringLiteral("Drukowanie"), Panel3), "PrintBtn");
    (new QHBoxLayout(Panel3))->addWidget(PrintBtn);

    auto *panel = new QGridLayout(Panel1);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->addWidget(runPnl, 0, 0, 2, 1);
    panel->addWidget(ShapeRG, 0, 1);
    panel->addWidget(FormsRG, 1, 1);
    panel->addWidget(Panel2, 0, 2);
    panel->addWidget(BarFormsRG, 1, 2);
    panel->addWidget(ZoomGB, 0, 3, 2, 1);
    panel->addWidget(MovePnl, 2, 1, 1, 2, Qt::AlignLeft);
    panel->addWidget(Panel3, 2, 3);
    panel->setColumnStretch(4, 1);

    Chart = m_chartArea = new ChartArea(*this);
    Chart->setObjectName(QStringLiteral("Chart"));
    Button1 = named(new QPushButton(QStringLiteral("Max"), Chart), "Button1");
    Button1->setGeometry(6, 3, 51, 21);
    m_status = named(new QLabel(this), "status");
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Panel1);
    layout->addWidget(Chart, 1);
    layout->addWidget(m_status);

    const auto on = [this](QAbstractButton *b, void (TFrmChart::*handler)()) {
        connect(b, &QAbstractButton::clicked, this, [this, handler] { run([this, handler] { (this->*handler)(); }); });
    };
    on(RunBtn, &TFrmChart::RunBtnClick);
    on(ExitBtn, &TFrmChart::ExitBtnClick);
    for (QRadioButton *b : {rbBars, rbLines})
        on(b, &TFrmChart::ShapeRGClick);
    for (QRadioButton *b : {rb3D, rbFlat})
        on(b, &TFrmChart::FormsRGClick);
    for (QRadioButton *b : {rbSideBySide, rbStacked, rbStacked100})
        on(b, &TFrmChart::BarFormsRGClick);
    on(ChkBoxMarks, &TFrmChart::ChkBoxMarksClick);
    on(ZoomInBtn, &TFrmChart::ZoomInBtnClick);
    on(ZoomOutBtn, &TFrmChart::ZoomOutBtnClick);
    on(ResetBtn, &TFrmChart::ResetBtnClick);
    on(LeftBtn, &TFrmChart::LeftBtnClick);
    on(RightBtn, &TFrmChart::RightBtnClick);
    on(UpBtn, &TFrmChart::UpBtnClick);
    on(DownBtn, &TFrmChart::DownBtnClick);
    on(Button1, &TFrmChart::Button1Click);
    on(PrintBtn, &TFrmChart::PrintBtnClick);
    // The Y field is checked when it is chosen (from the list, by Enter, by leaving the box), not
    // on each key, whose completion may stand for another field.
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] { run([this] { ComboBox2Change(); }); });
    connect(ComboBox2->lineEdit(), &QLineEdit::editingFinished, this, [this] { run([this] { ComboBox2Change(); }); });
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
    FormShow();
}

TFrmChart::~TFrmChart() = default;

void TFrmChart::run(const std::function<void()> &handler)
{
    m_ui.runCommand(handler);
}

QString TFrmChart::statusText() const
{
    return m_status->text();
}

void TFrmChart::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The window is reset when it opens; coming back to it (after its own message box, or from
    // another program) keeps the user's choices and the chart.
    if (!m_shown) {
        m_shown = true;
        Chart->setFocus();
    }
}

void TFrmChart::wypelnijPola()
{
    QStringList names;
    for (int i = 0; m_dataSet.active() && i < m_dataSet.fieldCount(); ++i)
        names.append(m_dataSet.field(i)->fieldName());
    for (QComboBox *box : {ComboBox1, ComboBox2, ComboBox3}) {
        const QSignalBlocker block(box);
        box->clear();
        box->addItems(names);
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
}

void TFrmChart::setOptionsEnabled(bool enabled)
{
    for (QWidget *w : {static_cast<QWidget *>(ZoomGB), static_cast<QWidget *>(ShapeRG), static_cast<QWidget *>(FormsRG), Panel2,
                       Panel3, MovePnl, static_cast<QWidget *>(BarFormsRG)})
        w->setEnabled(enabled);
}

void TFrmChart::FormShow()
{
    m_zoom = 0;
    wypelnijPola();
    BarFormsRG->setVisible(rbBars->isChecked());
    setOptionsEnabled(false);
    ResetBtn->setEnabled(false);
    Chart->hide();
}

void TFrmChart::RunBtnClick()
{
    const QString x = ComboBox1->currentText().trimmed(), y = ComboBox2->currentText().trimmed();
    if (x.isEmpty() || y.isEmpty()) {
        m_ui.message(UiServices::Kind::Information, QStringLiteral("Brak parametrów"));
        return;
    }
    m_zoom = 0;
    try {
        m_data = aggregateChart(m_dataSet, x, y, ComboBox3->currentText().trimmed());
    } catch (const EChartError &e) {
        m_data = ChartData();
        Chart->hide();
        m_status->setText(e.message());
        m_ui.message(UiServices::Kind::Information, e.message());
        return;
    }
    m_status->setText(skippedRowsNote(m_data));
    // The rows were read from the first to the last, as the grid shows afterwards.
    m_dataSet.last();
    rysujWykres();
    Chart->show();
    Chart->setFocus();
}

void TFrmChart::rysujWykres()
{
    m_options.shape = rbBars->isChecked() ? ChartOptions::Shape::Bars : ChartOptions::Shape::Lines;
    m_options.threeD = rb3D->isChecked();
    m_options.marks = ChkBoxMarks->isChecked();
    m_options.arrangement = rbStacked->isChecked() ? ChartOptions::Arrangement::Stacked
        : rbStacked100->isChecked()                ? ChartOptions::Arrangement::Stacked100
                                                   : ChartOptions::Arrangement::SideBySide;
    // Drawn anew, the chart shows all again: the zoom is undone, and its count with it.
    m_axes.fit(m_data, m_options);
    m_zoom = 0;
    ResetBtn->setEnabled(false);
    Chart->update();
}

void TFrmChart::redraw()
{
    Chart->update();
    Chart->setFocus();
}

void TFrmChart::ComboBox2Change()
{
    const Field *field = m_dataSet.active() ? m_dataSet.findField(ComboBox2->currentText()) : nullptr;
    if (!field || holdsNumbers(field->dataType()))
        return;
    // Emptied before the message box, which takes the focus from the box and so ends its editing.
    {
        const QSignalBlocker block(ComboBox2);
        ComboBox2->setCurrentIndex(-1);
        ComboBox2->setEditText(QString());
    }
    m_ui.message(UiServices::Kind::Information, yAxisNumbersOnly(field->fieldName()));
}

void TFrmChart::ShapeRGClick()
{
    BarFormsRG->setVisible(rbBars->isChecked());
    rysujWykres();
    redraw();
}

void TFrmChart::FormsRGClick()
{
    m_options.threeD = rb3D->isChecked();
    redraw();
}

void TFrmChart::BarFormsRGClick()
{
    rysujWykres();
    redraw();
}

void TFrmChart::ChkBoxMarksClick()
{
    m_options.marks = ChkBoxMarks->isChecked();
    redraw();
}

void TFrmChart::ZoomInBtnClick()
{
    if (m_zoom >= kZoomLimit)
        return;
    ++m_zoom;
    m_axes.zoom(110);
    ResetBtn->setEnabled(true);
    redraw();
}

void TFrmChart::ZoomOutBtnClick()
{
    if (m_zoom <= -kZoomLimit)
        return;
    --m_zoom;
    m_axes.zoom(90);
    ResetBtn->setEnabled(true);
    redraw();
}

void TFrmChart::ResetBtnClick()
{
    m_axes.fit(m_data, m_options);
    ResetBtn->setEnabled(false);
    m_zoom = 0;
    redraw();
}

void TFrmChart::przesunOs(ChartAxes::Axis axis, double percent)
{
    m_axes.shift(axis, percent);
    redraw();
}

void TFrmChart::LeftBtnClick() { przesunOs(ChartAxes::Axis::Bottom, 10); }
void TFrmChart::RightBtnClick() { przesunOs(ChartAxes::Axis::Bottom, -10); }
void TFrmChart::UpBtnClick() { przesunOs(ChartAxes::Axis::Left, -10); }
void TFrmChart::DownBtnClick() { przesunOs(ChartAxes::Axis::Left, 10); }

void TFrmChart::panBy(double pixels)
{
    if (Chart->width() <= 0)
        return;
    QPainter measure(Chart);
    const QRectF plot = ChartView(m_data, m_options, m_axes).plotRect(measure, m_chartArea->chartRect());
    if (plot.width() > 0)
        m_axes.shift(ChartAxes::Axis::Bottom, -pixels / plot.width() * 100);
    Chart->update();
}

void TFrmChart::Button1Click()
{
    const bool enlarge = Button1->text() == QLatin1String("Max");
    Panel1->setVisible(!enlarge);
    Button1->setText(enlarge ? QStringLiteral("Min") : QStringLiteral("Max"));
    Chart->setFocus();
}

void TFrmChart::PrintBtnClick()
{
    // The same print dialog as a report's: landscape at first, the file proposed in the folder
    // the window works in (the catalogue's).
    PrintChoice proposed;
    proposed.orientation = QPageLayout::Landscape;
    proposed.file = QDir::current().filePath(QStringLiteral("Wykres.pdf"));
    const std::optional<PrintChoice> choice = m_ui.printDialog({QStringLiteral("Wykres"), 1, 0}, proposed);
    if (!choice)
        return;
    const QPageLayout page(QPageSize(choice->paper), choice->orientation, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    const ChartView view(m_data, m_options, m_axes);
    printPages(*choice, page, QStringLiteral("Wykres"), printOrder(0, 0, choice->copies, choice->collate),
               [&view](QPainter &painter, int) {
                   const QPaintDevice &device = *painter.device();
                   view.paint(painter, QRectF(0, 0, device.width() - 1, device.height() - 1));
               });
}

void TFrmChart::ExitBtnClick()
{
    accept();
}

bool TFrmChart::eventFilter(QObject *watched, QEvent *event)
{
    // The window sees every key before its controls do.
    if (event->type() == QEvent::KeyPress && Chart->isVisible()) {
        chartKey(static_cast<QKeyEvent *>(event));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmChart::keyPressEvent(QKeyEvent *event)
{
    if (Chart->isVisible())
        chartKey(event);
    else
        QDialog::keyPressEvent(event);
}

void TFrmChart::chartKey(QKeyEvent *event)
{
    // While the chart shows, every key is the chart's: the table's keys act, the rest do nothing.
    Chart->setFocus();
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    run([&] {
        switch (event->key()) {
        case Qt::Key_Left: LeftBtnClick(); break;
        case Qt::Key_Right: RightBtnClick(); break;
        case Qt::Key_Up: UpBtnClick(); break;
        case Qt::Key_Down: DownBtnClick(); break;
        case Qt::Key_Delete: ResetBtnClick(); break;
        case Qt::Key_Period: case Qt::Key_Comma: if (keypad) ResetBtnClick(); break;
        case Qt::Key_Plus: if (keypad) ZoomInBtnClick(); break;
        case Qt::Key_Minus: if (keypad) ZoomOutBtnClick(); break;
        default: break;
        }
    });
    event->accept();
}

void pokazWykres(DataSet &dataSet, UiServices &ui, QWidget *parent)
{
    TFrmChart window(dataSet, ui, parent);
    ui.runDialog(window);
}
