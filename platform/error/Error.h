#pragma once
// The one error type of the program and its layers. An error carries a code
// the program can test and a text an office worker understands; the text of
// the engine or the system (often English) may follow as detail.
//
// A procedure that can fail returns an Error (ok() when nothing failed); a
// value it also produces goes out through its return value or a parameter.
#include <QString>

namespace tqen {

class Error {
public:
    enum class Code {
        None = 0,
        DatabaseFailed,   // a statement or recordset failed; detail holds the engine's text
        AlreadyPresent,   // the thing to add is there already
        NoFreeSlot,       // a class of the code table has no free slot
        NotFound,         // the thing asked for does not exist
        FileFailed,       // a file could not be read, written, copied or removed
        DriveNotReady,    // no disk in the drive, or it cannot be written
        ArchiveFailed,    // an LZH archive could not be made or read
        Cancelled,        // the user said no or closed a dialog
        BadInput,         // what the user typed cannot be used
        PrintFailed,      // a report could not be printed or written out
    };

    Error() = default;
    Error(Code code, QString text, QString detail = QString())
        : code_(code), text_(std::move(text)), detail_(std::move(detail)) {}

    bool ok() const { return code_ == Code::None; }
    Code code() const { return code_; }
    // For the user, in Japanese.
    const QString &text() const { return text_; }
    // The engine's or the system's own words; may be empty.
    const QString &detail() const { return detail_; }
    // The text, then the detail on a line of its own when there is one: what
    // a message box shows.
    QString message() const {
        if (detail_.isEmpty()) return text_;
        return text_ + QStringLiteral("\n\n(") + detail_ + QStringLiteral(")");
    }

private:
    Code code_ = Code::None;
    QString text_;
    QString detail_;
};

}  // namespace tqen
