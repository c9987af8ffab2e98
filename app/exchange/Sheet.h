#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>
#include <vector>

class QIODevice;

namespace gearlog {

// One data row of a spreadsheet or CSV file, as text.
struct SheetRow {
    int line = 0;        // the row's number in the file (the headings are row 1)
    QStringList cells;   // may be shorter than the headings (trailing cells empty)
    quint64 numbers = 0; // bit c: cell c is a number in the C form (1234.5), from a workbook
    int width = 0;       // the cells the row had, where more than the headings (not kept)
    bool isNumber(int c) const { return c < 64 && (numbers >> c & 1U); }
};

// The first sheet of a workbook or a CSV file: its headings (the first row
// that holds anything) and the rows below that hold anything.
struct SheetTable {
    QStringList headings;
    std::vector<SheetRow> rows;
    qint64 characters = 0; // in all the cells kept, to bound what a file may hold
    qint64 cells = 0;      // the same for their number
};

// Why a file cannot be read, told so that the user knows what to do.
class SheetError : public std::runtime_error {
public:
    explicit SheetError(const QString& text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// Told how far a long read or write has come (done of total, in any unit);
// returns false when the user cancelled, which ends the work.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Thrown when a Progress said to stop.
class Cancelled : public std::exception {};

// The most rows and bytes a file may hold: beyond them the user is asked to
// split it, so memory stays bounded.
inline constexpr int largestSheetRows = 1'000'000;
inline constexpr qint64 largestSheetBytes = 256LL * 1024 * 1024;
// The most text the cells may hold once unpacked (a workbook is compressed),
// and the most cells (or a workbook's shared strings): each costs memory
// however little it holds.
inline constexpr qint64 largestSheetCharacters = 128LL * 1024 * 1024;
inline constexpr qint64 largestSheetCells = 4'000'000;

// A CSV file's encoding without a byte-order mark: found from its bytes, or
// as the user chose.
enum class CsvEncoding { Detect, Utf8, Windows1252 };

// Reads a .xlsx workbook's first sheet or a CSV file (told apart by their
// content, not their name). Throws SheetError, or Cancelled.
SheetTable read_sheet(const QString& path, const Progress& progress = {},
                      CsvEncoding encoding = CsvEncoding::Detect);

// The parts, for read_sheet; `name` names the file in messages.
SheetTable read_csv(QIODevice& file, const QString& name, const Progress& progress,
                    CsvEncoding encoding = CsvEncoding::Detect);
SheetTable read_xlsx(const QString& path, const Progress& progress);

// Adds a row that holds anything: the first becomes the headings. Trailing
// empty cells are dropped. Throws SheetError beyond largestSheetRows.
void add_sheet_row(SheetTable& table, int line, QStringList cells, quint64 numbers = 0);
// The refusal of a file whose text passes largestSheetCharacters.
SheetError tooMuchText();
// The refusal of a file whose cells pass largestSheetCells.
SheetError tooManyCells();

} // namespace gearlog
