#pragma once

class Session;
class UiServices;

// Export and conversion from the grid's popup menu: "Utwórz plik" writes the result to a file,
// "przepisz .XLS do .CSV " converts a workbook beside the catalogue.
class ExportCommands {
public:
    ExportCommands(Session &session, UiServices &ui);

    void Utwrzplik1Click();
    void czytajXls1Click();

private:
    Session &m_session;
    UiServices &m_ui;
};
