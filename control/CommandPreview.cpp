#include "control/CommandPreview.h"

#include "command/CommandUtil.h"
#include "common/ComError.h"

namespace pelzorvick {

std::vector<CommandPreview> PreviewCommands(std::span<const std::optional<std::u16string>> lines,
                                            FileSystem& fs) {
  std::vector<CommandPreview> previews(lines.size());
  bool searching = true;  // no earlier line would have been run
  for (std::size_t i = 0; i < lines.size(); ++i) {
    CommandPreview& preview = previews[i];
    if (!lines[i]) {
      preview.text = u"differs";
      searching = false;
      continue;
    }
    const std::u16string& line = *lines[i];
    if (line.empty()) continue;
    try {
      if (!CommandExists(line, fs)) {
        preview.text = u"not found";
        continue;
      }
      const std::optional<std::u16string> file = FindExecutableFile(GetProgram(line), fs);
      preview.text = file ? u"runs " + *file : u"opens through the shell";
    } catch (const ComError& e) {
      preview.text = u"fails: " + e.text();
      searching = false;
      continue;
    }
    preview.runs_on_click = searching;
    searching = false;
  }
  return previews;
}

std::u16string CommandLineForFile(std::u16string_view path) {
  if (path.find(u' ') == std::u16string_view::npos) return std::u16string(path);
  return u"\"" + std::u16string(path) + u"\"";
}

}  // namespace pelzorvick
