#include "render_command.h"

#include "component_file_names.h"
#include "component_render.h"
#include "file_io.h"
#include "gui_application.h"
#include "library_input.h"

#include <QBuffer>
#include <QImage>

#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace {

/// Larger pictures would only exhaust memory: 16384 pixels a side is beyond any screen.
constexpr int kMaxSide = 16384;

std::vector<std::uint8_t> pictureBytes(const Component& component, const RenderOptions& options) {
    if (options.format == PictureFormat::Svg) {
        const std::string svg = renderComponentSvg(component, options.width, options.height);
        return {svg.begin(), svg.end()};
    }
    const QImage image = renderComponentImage(component, options.width, options.height);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return {};
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
    LibraryRead read = readLibraryFile(options.library);
    if (!read.loaded) {
        console.error(options.library, read.failure.what);
        return read.failure.status;
    }
    const LoadedLibrary& loaded = *read.loaded;
    std::string unknown;
    const auto picked = chooseComponents(loaded, options.names, unknown);
    if (!picked) {
        console.error(options.library, "no component named \"" + unknown + "\"");
        return ExitStatus::Failure;
    }
    const std::vector<const Component*>& chosen = *picked;
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
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const std::string path = (fs::path(options.outDirectory) / (stems[i] + extension)).string();
        const std::vector<std::uint8_t> bytes = pictureBytes(*chosen[i], options);
        const SaveResult saved = bytes.empty()
                                     ? SaveResult::failure("The picture could not be made.")
                                     : writeFileAtomically(path, bytes);
        if (saved) {
            console.out << path << '\n';
        } else {
            console.error(path, saved.reason);
            status = ExitStatus::Failure;
        }
        progress.show(i + 1);
    }
    return status;
}

std::optional<std::pair<int, int>> parseSize(const std::string& text) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return std::nullopt;
    try {
        std::size_t used = 0;
        const int width = std::stoi(text.substr(0, x), &used);
        if (used != x) return std::nullopt;
        const std::string rest = text.substr(x + 1);
        const int height = std::stoi(rest, &used);
        if (used != rest.size()) return std::nullopt;
        if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return std::nullopt;
        return std::pair{width, height};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
