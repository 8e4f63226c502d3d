#include "recover_command.h"

#include "diff_command.h"
#include "library_recovery.h"
#include "write_refusals.h"

#include <vector>

ExitStatus runRecover(const RecoverOptions& options, const Console& console) {
    // Something in the way that is no file is refused as by every command that writes.
    if (const std::string refusal = recoveryRefusal(options.library); !refusal.empty()) {
        console.error(options.library, refusal);
        return ExitStatus::Failure;
    }
    const std::vector<std::string> backups = interruptedBackups(options.library);
    if (backups.empty()) {
        console.out << options.library << ": no interrupted save left a backup of it\n";
        return ExitStatus::Success;
    }
    const std::string& backup = backups.front();
    console.out << options.library << ": an interrupted save left " << backup
                << ", which holds the library as it was before that save\n";
    if (options.restore) {
        const SaveResult restored =
            restoreBackup(options.library, backup, waitFor(options.waitSeconds));
        if (!restored) {
            console.error(options.library, restored.reason);
            return ExitStatus::Failure;
        }
        console.out << options.library << ": restored from the backup, which is removed\n";
        if (!restored.note.empty()) console.error(options.library, restored.note);
    } else if (options.discard) {
        if (const SaveResult removed = dismissBackup(backup); !removed) {
            console.error(options.library, removed.reason);
            return ExitStatus::Failure;
        }
        console.out << options.library << ": the backup is removed; the library is as it was\n";
    } else {
        console.out << "What differs from the library to the backup:\n";
        runDiff({options.library, backup, false, false}, console);
        console.out << "Run `cobble recover --restore " << options.library
                    << "` to put the backup back, or `cobble recover --discard " << options.library
                    << "` to remove it.\n";
    }
    if (backups.size() > 1 && (options.restore || options.discard)) {
        console.out << options.library << ": " << backups.size() - 1
                    << " older backups remain; run `cobble recover` again to see the next\n";
    }
    return ExitStatus::Success;
}
