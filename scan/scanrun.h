#pragma once

#include "controls/richtext/richtextbuffer.h"
#include "platform/pathname.h"
#include "scan/linefinder.h"
#include "scan/scaninterfaces.h"
#include "scan/scanquery.h"
#include "scan/searchexpression.h"
#include "scan/textfilereader.h"

#include <QStringList>
#include <memory>
#include <vector>

/// The run's own words.
namespace ScanTexts {
inline const QString ScanningFile = QStringLiteral("Scanning File: ");
inline const QString NoMatchesFound = QStringLiteral("** No Matches Found **");
inline const QString EndOfMatches = QStringLiteral("** End Of Matches **");
inline const QString SelectFilesFirst = QStringLiteral("Please Select Some Files To Scan First!");
inline const QString SpecifyExtension = QStringLiteral(
    "You Must Specify An Extension To Search For When Using The Specified Type Option!");
inline const QString BuildingFileList = QStringLiteral("Building File List. Please Wait...");
inline const QString FileListBuilt = QStringLiteral("File List Built.");
inline const QString DirectoryScanningCanceled = QStringLiteral("Directory Scanning Canceled");
inline const QString ScanningComplete = QStringLiteral("Scanning Complete");
inline const QString ScanningCancelled = QStringLiteral("Scanning Cancelled");
/// Ends the text of a matching line that was too long to keep whole.
inline const QString LineCut = QStringLiteral(" [... line cut: only its first 1 MiB is kept]");

/// "Error: <description> (<path>)", the status line of a file that failed.
QString fileError(const QString &description, const QString &path);
} // namespace ScanTexts

enum class ScanOutcome { Refused, Completed, Cancelled };

/// The selected-file mode's file list, read afresh for every entry so that the
/// user's changes during a run take effect.
class FileSelection {
  public:
    virtual ~FileSelection() = default;
    virtual int count() const = 0;
    virtual bool isSelected(int index) const = 0;
    virtual QString name(int index) const = 0;
    virtual QString folderPath() const = 0;
    /// The path scanned: the folder, a separator and the name trimmed of
    /// spaces, unless the untrimmed name is that of an existing file.
    virtual QString path(int index) const;
};

/// A folder and names, all selected (quarrix-scan, tests).
class FixedFileSelection : public FileSelection {
  public:
    FixedFileSelection(QString folder, QStringList names)
        : folder_(std::move(folder)), names_(std::move(names)) {}
    int count() const override { return static_cast<int>(names_.size()); }
    bool isSelected(int) const override { return true; }
    QString name(int index) const override { return names_.value(index); }
    QString folderPath() const override { return folder_; }

  private:
    QString folder_;
    QStringList names_;
};

/// A whole scan from the Scan command to its marker row, in either mode, with
/// the input checks, Cancel and the final status text. The window, the tests
/// and quarrix-scan drive this same class through the engine's interfaces.
class ScanRun {
  public:
    ScanRun(MatchSink &matches, StatusSink &status, RunHooks &hooks,
            const SearchTextSource &search);
    ~ScanRun();

    /// Runs the query. In the selected-file mode, files (when given) is the
    /// live list the user may change during the run; without it the query's
    /// selected files in its folder are scanned.
    ScanOutcome run(const ScanQuery &query, const FileSelection *files = nullptr);
    /// Cancel, taken during a yield: the run stops before its next line or
    /// file, the open file is closed and the rich text box cleared.
    void cancel();
    /// Files a directory walk passes over (a report being written into the tree).
    void leaveOut(std::vector<platform::FileId> files) { leftOut_ = std::move(files); }

    /// True while the run may go on; set by the run, cleared only by cancel().
    bool ContinueScan = false;
    /// Matches recorded in the current run (marker rows not counted).
    qint64 LinesMatched = 0;
    /// Rows of the current run, marker rows included.
    qsizetype rowsRecorded() const { return rows_; }
    /// The files a directory walk found, in walk order.
    QStringList FoundFilesList;
    /// The hidden rich text box that documents are loaded into.
    RichTextBuffer RTB;

    void ScanSelectedFiles(const FileSelection &files);
    void ScanFileList(const QString &extension, const QString &filterMode);
    void ScanTextFile(const QString &path);
    void ScanRichTextFile(const QString &path);
    static int CountSelectedFiles(const FileSelection &files);

  private:
    class TextClient;
    class WalkClient;
    struct CompiledSearch;

    const CompiledSearch &search();
    /// Loads the file into RTB and tests its pieces; with documentsOnly, a
    /// file whose content is no document is left unread (false).
    bool scanDocument(const QString &path, bool documentsOnly);
    void record(const QString &path, const QString &cell, const QString &text);
    void addMarker();

    MatchSink &matches_;
    StatusSink &status_;
    RunHooks &hooks_;
    const SearchTextSource &source_;
    std::unique_ptr<CompiledSearch> search_;
    quint64 searchRevision_ = 0;
    TextFileReader reader_;
    bool fileClosed_ = false; ///< set by cancel(): the text reader stops
    qsizetype rows_ = 0;
    std::vector<platform::FileId> leftOut_;
};

/// Keeps every character that is not a control character (C0, DEL, C1), in
/// order.
QString StripControlChars(QStringView text);
