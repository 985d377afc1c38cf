#pragma once

#include "chart/ChartView.h"

#include <QDialog>
#include <functional>

class DataSet;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;
class UiServices;

// The chart window "Wykresy" (TFrmChart): three field boxes name the X axis, the Y axis and the
// series; "Wykonaj" sums Y per series and X and draws bars or lines, flat or in 3D, side by side or
// stacked, with or without marks; zoom, shifts, a larger chart area and printing follow.
class TFrmChart : public QDialog {
    Q_OBJECT
public:
    TFrmChart(DataSet &dataSet, UiServices &ui, QWidget *parent = nullptr);
    ~TFrmChart() override;

    void FormShow();
    void RunBtnClick();
    void ComboBox2Change();
    void ShapeRGClick();
    void FormsRGClick();
    void BarFormsRGClick();
    void ChkBoxMarksClick();
    void ZoomInBtnClick();
    void ZoomOutBtnClick();
    void ResetBtnClick();
    void LeftBtnClick();
    void RightBtnClick();
    void UpBtnClick();
    void DownBtnClick();
    void Button1Click();
    void PrintBtnClick();
    void ExitBtnClick();

    int zoomCounter() const { return m_zoom; }
    const ChartData &data() const { return m_data; }
    const ChartOptions &options() const { return m_options; }
    const ChartAxes &axes() const { return m_axes; }
    QString statusText() const;
    // Pans the bottom axis by a distance in the chart's pixels (a mouse drag).
    void panBy(double pixels);

    QWidget *Panel1;
    QComboBox *ComboBox1, *ComboBox2, *ComboBox3;
    QPushButton *RunBtn, *ExitBtn;
    QGroupBox *ShapeRG, *FormsRG, *BarFormsRG, *ZoomGB;
    QRadioButton *rbBars, *rbLines, *rb3D, *rbFlat, *rbSideBySide, *rbStacked, *rbStacked100;
    QWidget *MovePnl, *Panel2, *Panel3;
    QPushButton *UpBtn, *DownBtn, *LeftBtn, *RightBtn;
    QCheckBox *ChkBoxMarks;
    QPushButton *ZoomInBtn, *ZoomOutBtn, *ResetBtn, *PrintBtn;
    QWidget *Chart;
    QPushButton *Button1; // "Max" / "Min"

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class ChartArea;
    void wypelnijPola();
    void rysujWykres();
    void setOptionsEnabled(bool enabled);
    void redraw();
    void przesunOs(ChartAxes::Axis axis, double percent);
    void run(const std::function<void()> &handler);
    // FormKeyDown while the chart shows.
    void chartKey(QKeyEvent *event);

    DataSet &m_dataSet;
    UiServices &m_ui;
    ChartData m_data;
    ChartOptions m_options;
    ChartAxes m_axes;
    ChartArea *m_chartArea;
    QLabel *m_status;
    int m_zoom = 0;
    int m_savedTop = 0;
    bool m_shown = false;
};

// "Wykres": the chart window over the data set, shown modally.
void pokazWykres(DataSet &dataSet, UiServices &ui, QWidget *parent);
