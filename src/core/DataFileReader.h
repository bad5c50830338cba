#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

/// What a data file's header line tells about its columns.
struct DataFileHeader
{
    QString rangeText;    ///< the first resistance range named in the line, empty for none
    bool milliAmps;       ///< the line holds "mAmp": the current column is in mA
    QString tempUnitText; ///< "Celsius" if the line holds it, else "Fahrenheit"

    /// Reads a header line. The ranges are tested in the order "4 mOhm", "40 mOhm",
    /// "400 mOhm", "4 Ohm", "40 Ohm", "400 Ohm"; the first that occurs anywhere wins.
    [[nodiscard]] static DataFileHeader fromLine(QStringView line);

    /// The nine column titles of a list after reading this header over `titles` (the titles
    /// the list had before): the range title if one was found, "mAmp" for the current when
    /// the file holds milliamperes, and the temperature unit.
    [[nodiscard]] QStringList appliedTo(QStringList titles) const;
};

/// Reads a data file (Latin-1 text, one record a line, tab-separated) line by line: first the
/// header line, then one row of nine cells per further line. Lines end at CR LF, LF or a lone
/// CR; a break at the very end adds no row, and an empty line is an empty row. Blanks before
/// the first cell are skipped; a leading tab is kept (an empty first cell). Missing cells are
/// empty and cells past the ninth (such as the one after a grid save's trailing tab) are
/// dropped. No line longer than `MaxLineBytes` is ever held in memory.
class DataFileReader
{
public:
    static constexpr int CellCount = 9;
    static constexpr qsizetype MaxLineBytes = 64 * 1024;
    /// How much of a file's start startsAsText() looks at.
    static constexpr qsizetype TextCheckBytes = 64 * 1024;

    /// False when the first TextCheckBytes of `device` hold a NUL byte: data files are text,
    /// which never holds one, so the file is binary. `device` must be open for reading and
    /// able to seek (a file); it is left where it was. A read error counts as text here:
    /// reading the file then meets it again and reports it.
    [[nodiscard]] static bool startsAsText(QIODevice& device);

    enum class Result
    {
        Header,      ///< the header line was read: headerLine()
        Row,         ///< a record line was read: cells()
        End,         ///< no more lines
        LineTooLong, ///< line lineNumber() is longer than MaxLineBytes: not a data file
        ReadError    ///< the device failed: errorString()
    };

    /// Reads from `device`, which must be open for reading and outlive the reader.
    explicit DataFileReader(QIODevice& device);

    /// Reads the next line. After End, LineTooLong or ReadError every call gives the same.
    Result next();

    /// The header line as text (blanks before it skipped).
    [[nodiscard]] const QString& headerLine() const { return m_header; }
    /// The cells of the row just read, always CellCount of them.
    [[nodiscard]] const QStringList& cells() const { return m_cells; }
    /// How many tab-separated fields the line just read holds (those past the ninth too).
    [[nodiscard]] qsizetype fieldCount() const { return m_fieldCount; }
    /// False when the line just read is the file's last and no line break ends it.
    [[nodiscard]] bool lineEnded() const { return m_lineEnded; }
    /// The number of the line last read or refused, counting the header as line 1.
    [[nodiscard]] qint64 lineNumber() const { return m_lineNumber; }
    /// The number of rows read so far.
    [[nodiscard]] qint64 rowCount() const { return m_lineNumber > 1 ? m_lineNumber - 1 : 0; }
    /// The device's reason after ReadError.
    [[nodiscard]] const QString& errorString() const { return m_error; }

private:
    enum class LineResult
    {
        Line,
        End,
        TooLong,
        Error
    };
    LineResult readLine();
    bool fill();

    QIODevice& m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
    bool m_atEnd = false;
    bool m_skipLineFeed = false; // the last line ended with CR: an LF right after belongs to it
    QByteArray m_line;
    QString m_header;
    QStringList m_cells;
    qsizetype m_fieldCount = 0;
    bool m_lineEnded = true;
    qint64 m_lineNumber = 0;
    QString m_error;
    Result m_stopped = Result::Row; // Row while reading goes on
};
