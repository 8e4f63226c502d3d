#include "render_command.h"

#include "component_file_names.h"
#include "component_render.h"
#include "file_io.h"
#include "gui_application.h"
#include "library_input.h"
#include "name_text.h"
#include "ordered_work.h"
#include "palette_png.h"
#include "staged_writes.h"

#include <QByteArray>

#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> pictureBytes(const Component& component, const RenderOptions& options) {
    if (options.format == PictureFormat::Svg) {
        const std::string svg = renderComponentSvg(component, options.width, options.height);
        return {svg.begin(), svg.end()};
    }
    const QByteArray png =
        encodePng(renderComponentImage(component, options.width, options.height));
    return {png.begin(), png.end()};
}

/// Why `directory` cannot take the pictures, after creating it when missing; empty when it can.
std::string prepareFolder(const std::string& directory) {
    std::error_code error;
    if (fs::is_directory(directory, error)) return {};
    if (fs::exists(directory, error)) return "not a folder";
    if (!fs::create_directories(directory, error))
        return "cannot create the folder: " + error.message();
    return {};
}

}  // namespace

ExitStatus runRender(const RenderOptions& options, const Console& console) {
    LibraryRead read = readLibraryOrReport(options.library, console);
    if (!read.loaded) return read.failure.status;
    const LoadedLibrary& loaded = *read.loaded;
    warnIfDamaged(loaded, console);
    // A NAME that finds nothing and nothing is drawn; what the others found is named, so that
    // the next try can be right at once.
    const ComponentChoice picked = chooseComponents(loaded, options.names);
    const std::vector<const Component*>& chosen = picked.components;
    if (!picked.problems.empty()) {
        for (const std::string& problem : picked.problems) console.error(options.library, problem);
        std::string found;
        for (const Component* component : chosen) {
            found +=
                (found.empty() ? " \"" : ", \"") + nameForText(component->displayName()) + "\"";
        }
        console.error(options.library, found.empty()
                                           ? "nothing drawn"
                                           : "nothing drawn; the other NAMEs found" + found);
        return ExitStatus::Failure;
    }
    if (std::string problem = prepareFolder(options.outDirectory); !problem.empty()) {
        console.error(options.outDirectory, problem);
        return ExitStatus::Failure;
    }

    std::vector<std::string> names;
    for (const Component* component : chosen) names.push_back(component->displayName());
    const std::vector<std::string> stems = componentFileNames(names);
    const char* extension = options.format == PictureFormat::Svg ? ".svg" : ".png";
    if (options.format == PictureFormat::Png) ensureGuiApplication();

    ExitStatus status = ExitStatus::Success;
    Progress progress(console, chosen.size(), "components");
    // Pictures are drawn and staged on every core, so that their flushes overlap, and put in
    // place in batches: a batch's files are renamed together with one flush of the folder once
    // every one of them is staged. A picture that cannot be written is reported alone and the
    // others are still written; the paths are printed in list order once their batch is in place.
    std::vector<std::unique_ptr<StagedWrites>> batches((chosen.size() + kFilesPerBatch - 1) /
                                                       kFilesPerBatch);
    for (auto& batch : batches) batch = std::make_unique<StagedWrites>();
    const auto draw = [&](std::size_t i) {
        const std::string path = (fs::path(options.outDirectory) / (stems[i] + extension)).string();
        const std::vector<std::uint8_t> bytes = pictureBytes(*chosen[i], options);
        return std::pair{path, bytes.empty()
                                   ? SaveResult::failure("the picture could not be made")
                                   : batches[i / kFilesPerBatch]->stageApart(path, bytes)};
    };
    std::vector<std::string> staged;
    const auto report = [&](std::size_t i, const std::pair<std::string, SaveResult>& written) {
        const auto& [path, saved] = written;
        if (saved) {
            staged.push_back(path);
        } else {
            console.error(path, saved.reason);
            status = ExitStatus::Failure;
        }
        progress.show(i + 1);
        // Every picture of the batch is delivered, so no thread stages into it any more.
        if ((i + 1) % kFilesPerBatch == 0 || i + 1 == chosen.size()) {
            const SaveResult committed = batches[i / kFilesPerBatch]->commit();
            batches[i / kFilesPerBatch].reset();
            if (committed) {
                for (const std::string& done : staged) console.out << done << '\n';
            } else if (!staged.empty()) {
                console.error(committed.path, committed.reason);
                status = ExitStatus::Failure;
            }
            staged.clear();
        }
        return true;
    };
    runInOrder(chosen.size(), draw, report);
    return status;
}
