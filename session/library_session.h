#pragma once

#include "copy_rule.h"
#include "file_io.h"
#include "file_stamp.h"
#include "library_lock.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Component;
class Library;
class NameList;

/// How long a save waits for a lock that was not taken before it.
inline constexpr std::chrono::milliseconds kSaveLockWait{1000};

/// What a session's save did. Besides the file's own reasons a save may find the library busy
/// (another writer held its lock for the whole wait) or changed by someone else under the lock.
struct SessionSave : SaveResult {
    /// Another writer held the lock; trying again later may succeed.
    bool busy = false;
    /// The file was changed by someone else since the session read, wrote or was allowed to
    /// replace it, as found with the lock held: `questionBeforeSave` now asks about it.
    bool changed = false;
};

/// One library being worked on, and the file it belongs to: the `Library` itself, the path of its
/// file, whether it has changed since it was read or written, and whether that file was read as
/// a library. The operations are those of the two workflows, so the window and the command-line
/// tools follow the same rules.
///
/// A session may hold no library at all (before the first file is opened). Paths are the
/// system's bytes and are never converted. Anyone who keeps pointers to components of the
/// library (the viewer) must drop them before `open`, `startEmpty`, `clear` or `close` replace
/// or free it.
class LibrarySession final {
public:
    /// What a save may write over.
    enum class WritePolicy {
        /// Only the file the library was read from, and only when it was read as a library: a
        /// file that could not be read might be someone else's, and an empty library must not
        /// replace it.
        onlyOverLibraryFile,
        /// Whatever file the path names, which is how a new library file is created.
        anyFile,
    };

    /// What the user must agree to before a save may write over the file at the path.
    enum class SaveQuestion {
        /// Nothing: there is no file there yet (or no longer), or it is the file the session
        /// read, wrote or was allowed to replace, unchanged since.
        none,
        /// A library file that the session neither read nor was allowed to replace.
        replaceExisting,
        /// A file that does not read as a library, perhaps someone else's document.
        replaceNonLibrary,
        /// The file the session read, wrote or was allowed to replace has since been changed
        /// or replaced by someone else.
        changedOnDisk,
    };

    explicit LibrarySession(WritePolicy policy);
    ~LibrarySession();
    LibrarySession(const LibrarySession&) = delete;
    LibrarySession& operator=(const LibrarySession&) = delete;

    /// Replaces the library by the one in the file at `path`, putting its component names into
    /// `names`, which it empties first. A file that cannot be read or is not a library gives an
    /// empty library. The session is unchanged afterwards; the result says whether the file was
    /// read as a library.
    bool open(const std::string& path, NameList& names);
    /// `open` for a caller that keeps no list of names of its own.
    bool open(const std::string& path);

    /// Replaces the library by an empty one that counts as unchanged and was not read from any
    /// file; the path stays.
    void startEmpty();

    /// Replaces the library by an empty one and marks it changed, since its file still holds
    /// what was dropped; the path stays.
    void clear();

    /// Frees the library; the session then holds none.
    void close();

    /// Sets the file a later save writes to, without reading it. Whatever is there now counts as
    /// someone else's until the user agrees to replace it.
    void setPath(std::string path);

    /// Destroys `component` when it belongs to the library, marks the library changed and says
    /// whether it did.
    bool remove(const Component* component);

    /// How many components the library holds; 0 without a library.
    std::size_t componentCount() const;

    /// Whether the library holds as many components as a library file has room for, so that the
    /// copy rule refuses any copy into it.
    bool full() const;

    /// Copies `component` in, at the head, and puts its name into `names` when the copy rule
    /// allows it; only then is the library marked changed. A session without a library starts
    /// an empty one.
    CopyVerdict copyIn(const Component& component, NameList& names);
    /// `copyIn` for a caller that keeps no list of names of its own.
    CopyVerdict copyIn(const Component& component);

    /// Whether the write policy forbids writing the library to its path: there is no library or
    /// no path, or the policy allows only a file read as a library and this one was not.
    bool refusesToWrite() const;

    /// Looks at the file at the path and says what must be asked before a save writes over it.
    /// Only a regular file (links followed) is asked about: where nothing is, a save creates the
    /// file, and a folder or device in the way makes the save fail with a reason of its own.
    /// Reads the whole file. Remembers what it saw, for `allowReplacing`.
    SaveQuestion questionBeforeSave();

    /// The user agreed to the question of the last `questionBeforeSave`: the file as it was seen
    /// then may be replaced, and later saves write at once until someone else changes it again.
    void allowReplacing();

    /// Takes the lock that writers of the file at the path take turns on, waiting up to `wait`,
    /// and holds it until the next save ends or `unlock`. A command that reads the file after
    /// this and saves it works from content nobody else can change in between. The result holds
    /// no lock object: the session keeps it.
    LockResult lockForWriting(std::chrono::milliseconds wait);

    /// Gives back a lock taken by `lockForWriting`.
    void unlock();

    /// Keeps `lock`, taken on the file at the path before the session read it, as if
    /// `lockForWriting` had taken it. Sessions of a set locked together share one lock, which
    /// is given back once none of them holds it.
    void holdLock(std::shared_ptr<LibraryLock> lock) { lock_ = std::move(lock); }

    /// Writes the library to its path and marks it unchanged; on failure, when the session
    /// refuses to write, or when `questionBeforeSave` has something the user has not agreed to,
    /// the file is left as it was, the library stays marked as it was, and the result says why.
    /// The whole save runs with the file's lock held: the one `lockForWriting` took, or one
    /// taken now, waiting up to `wait`. The new file is written beside the old one before the
    /// file is looked at a last time, so that the last look comes just before the rename.
    SessionSave save(std::chrono::milliseconds wait = kSaveLockWait);

    /// Saves every session of `sessions` to its path, all or nothing: every lock is taken (in a
    /// fixed order) and every new file written before the first replaces its old one; any
    /// refusal, busy lock, outside change or failure leaves every file as it was. Locks that
    /// `lockForWriting` took are used and, like the others, given back at the end.
    static SessionSave saveTogether(const std::vector<LibrarySession*>& sessions,
                                    std::chrono::milliseconds wait = kSaveLockWait);

    /// The checks of `save` without the write: whether a save may write the library to its path
    /// now, and if not why. A writer of several files asks each before it writes any.
    SaveResult checkSave();

    /// Records that the library was written to its path by a writer that asked `checkSave`: it
    /// is unchanged, and the file there now is the session's.
    void markSaved();

    bool hasLibrary() const { return library_ != nullptr; }
    /// The library, or none.
    const Library* library() const { return library_.get(); }
    const std::string& path() const { return path_; }
    bool modified() const { return modified_; }
    bool readAsLibrary() const { return readAsLibrary_; }
    /// Whether the file at the path is claimed because this session last wrote it, rather than
    /// because it read it or the user agreed to replace it.
    bool lastWroteFile() const { return claimed_ && claimedBySave_; }

    /// The name to show for the file: the last part of the path, with ".LIB" added when it has
    /// no extension (the path itself keeps none); empty while there is no path.
    std::string fileName() const;

private:
    // `names` is null where the caller keeps no list.
    bool openWith(const std::string& path, NameList* names);
    CopyVerdict copyInWith(const Component& component, NameList* names);
    std::optional<SessionSave> refusalBeforeWriting();
    /// Every reason the session may not save now, with the lock held: no library, no path, a
    /// file the policy protects, or a question the user has not agreed to.
    SessionSave refusalToSave();

    WritePolicy policy_;
    std::unique_ptr<Library> library_;
    std::string path_;
    bool modified_ = false;
    bool readAsLibrary_ = false;
    /// Whether a save may write over the file at the path as `claimedStamp_` describes it: the
    /// session read it as a library, wrote it, or the user agreed to replace it.
    bool claimed_ = false;
    /// Whether that claim comes from a save of this session.
    bool claimedBySave_ = false;
    /// The file as it was then; none for one that could not be read.
    std::optional<FileStamp> claimedStamp_;
    /// What the last `questionBeforeSave` saw.
    std::optional<FileStamp> seenStamp_;
    /// The lock taken by `lockForWriting` or given to `holdLock`, if any.
    std::shared_ptr<LibraryLock> lock_;
};
