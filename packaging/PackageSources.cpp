// Build tool: turns the control's registration table and its type library
// into what shipping needs, so that the installer, the side-by-side manifest
// and DllRegisterServer write the same thing.
//
//   package_sources TYPELIB ARCH VERSION OUTDIR     ARCH: x64 or x86
//
// writes into OUTDIR:
//   PelZorvick.wxs          WiX source of the per-machine installer; wixl
//                           fills in $(var.OcxSource)
//                           and finds the administrative template beside it
//                           (PelZorvick.admx, en-US/PelZorvick.adml)
//   PelZorvick.manifest     the control's side-by-side assembly manifest
//   Example.exe.manifest    an application manifest that depends on it
//   registry-rows.tsv       every registry value the installer writes: view,
//                           key, name, value (MSI formatted text)

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "component/build/BuildTool.h"
#include "component/build/XmlText.h"
#include "component/library/RegistryTable.h"
#include "packaging/NameGuid.h"
#include "packaging/TypeLibInfo.h"

namespace pz = pelzorvick;
namespace build_tool = pz::build_tool;
using build_tool::Xml;
using pz::packaging::NameGuid;
using pz::packaging::TypeKind;
using pz::packaging::TypeLibFacts;

namespace {

constexpr char kAssemblyName[] = "PelZorvick";
constexpr char kOcx[] = "PelZorvick.ocx";
constexpr char kOcxFileId[] = "PelZorvick.ocx";
constexpr char kInstallFolder[] = "PelZorvick";
constexpr char kClasses[] = "Software\\Classes\\";
// Proxies of the automation marshaler, as RegisterTypeLib names them.
constexpr char kTypeLibProxy[] = "{00020424-0000-0000-C000-000000000046}";
constexpr char kDispatchProxy[] = "{00020420-0000-0000-C000-000000000046}";
// Set by LoadTypeLib on a library read from a file; registering writes it.
constexpr unsigned kLibFlagHasDiskImage = 0x8;

struct Arch {
  const char* name;  // wixl's -a
  const char* manifest;
  const char* program_files;
  const char* upgrade_code;
  const char* control_component;  // the file and the keys of this bitness alone
  bool win64;
  const char* syskind;
  const char* language_component;  // the administrative template's en-US part
};

// Fixed for ever: the upgrade code ties versions together, and a component's
// code must stay with its key path. {85B4B418-1F2A-43A7-894D-AF00ED3AEF2D},
// once the 64-bit installer's 32-bit interface keys, is retired.
constexpr Arch kX64 = {"x64", "amd64", "ProgramFiles64Folder",
                       "{D3FD1197-961D-490B-95B1-9C1FBC6961D0}",
                       "{1B80CE4B-0B50-451F-B7E3-CC511100BBE1}", true, "win64",
                       "{6F0B3C2E-9A41-4C8D-B2E5-7D1A93C4F602}"};
constexpr Arch kX86 = {"x86", "x86", "ProgramFilesFolder",
                       "{A6BA6AAF-1B1D-4ECE-886F-DAC0FA647546}",
                       "{959C7488-45E3-4E3A-B5CF-DD2AAF85F395}", false, "win32",
                       "{2C7E5D91-4B08-4F6A-9E3C-58A0D7B1E4C3}"};

struct Row {
  bool other_view;  // the 32-bit registry view of a 64-bit system
  std::string key;  // below HKLM
  std::string name;
  std::string value;  // MSI formatted text
};

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c > 0x7E) throw std::runtime_error("registration data must be ASCII");
    out += char(c);
  }
  return out;
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", value);
  return text;
}

// What RegisterTypeLib writes for the library and its automation interfaces.
std::vector<Row> TypeLibRows(const TypeLibFacts& lib, const Arch& arch) {
  const std::string version = Hex(lib.major) + "." + Hex(lib.minor);
  const std::string key = std::string(kClasses) + "TypeLib\\" + lib.libid + "\\" + version;
  std::vector<Row> rows = {
      {false, key, "", lib.help_string},
      {false, key + "\\" + Hex(lib.lcid) + "\\" + arch.syskind, "", std::string("[#") + kOcxFileId + "]"},
      {false, key + "\\FLAGS", "", std::to_string(lib.flags | kLibFlagHasDiskImage)},
      {false, key + "\\HELPDIR", "", "[INSTALLDIR]"},
  };
  // A 64-bit registration also tells 32-bit programs about the interfaces.
  for (bool other_view : {false, true}) {
    if (other_view && !arch.win64) continue;
    for (const auto& type : lib.types) {
      const bool automation =
          type.kind == TypeKind::kDispatch ||
          (type.kind == TypeKind::kInterface && (type.flags & pz::packaging::kTypeFlagOleAutomation));
      if (!automation) continue;
      const bool typelib_marshaled =
          type.kind == TypeKind::kInterface || (type.flags & pz::packaging::kTypeFlagDual);
      const std::string proxy = typelib_marshaled ? kTypeLibProxy : kDispatchProxy;
      const std::string ikey = std::string(kClasses) + "Interface\\" + type.guid;
      rows.push_back({other_view, ikey, "", type.name});
      rows.push_back({other_view, ikey + "\\ProxyStubClsid", "", proxy});
      rows.push_back({other_view, ikey + "\\ProxyStubClsid32", "", proxy});
      rows.push_back({other_view, ikey + "\\TypeLib", "", lib.libid});
      rows.push_back({other_view, ikey + "\\TypeLib", "Version", version});
    }
  }
  return rows;
}

std::string CoclassGuid(const TypeLibFacts& lib) {
  std::string found;
  for (const auto& type : lib.types) {
    if (type.kind != TypeKind::kCoclass) continue;
    if (!found.empty()) throw std::runtime_error("the type library has more than one class");
    found = type.guid;
  }
  if (found.empty()) throw std::runtime_error("the type library has no class");
  return found;
}

std::vector<Row> AllRows(const TypeLibFacts& lib, const Arch& arch) {
  const pz::ClassIdentity ids{Widen(CoclassGuid(lib)), Widen(lib.libid)};
  std::vector<Row> rows;
  for (const auto& value : pz::ClassRegistryValues(ids, Widen(std::string("[#") + kOcxFileId + "]"))) {
    rows.push_back({false, kClasses + Narrow(value.key), Narrow(value.name), Narrow(value.data)});
  }
  for (auto& row : TypeLibRows(lib, arch)) rows.push_back(std::move(row));
  // The system hive has one view, so both installers write this one value
  // and must write it alike: naming both products' modules, the event log
  // reads the records' texts while either is installed.
  const std::string in_folder = std::string("]") + kInstallFolder + "\\" + kOcx;
  const std::string both_modules = "[ProgramFiles64Folder" + in_folder + ";[ProgramFilesFolder" + in_folder;
  for (const auto& value : pz::EventSourceValues(Widen(both_modules))) {
    rows.push_back({false, Narrow(value.key), Narrow(value.name), Narrow(value.data)});
  }
  return rows;
}

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Below these 64-bit Windows keeps one key per registry view, the 32-bit
// one under Wow6432Node; the rest of Software\Classes, and all of HKLM
// outside Software, is one key that both views share.
constexpr const char* kPerViewClasses[] = {"clsid\\", "interface\\", "directshow\\",
                                           "media type\\", "mediafoundation\\"};

// Where 64-bit Windows stores a row's key (lower case): two rows with the
// same stored key and name are one registry value.
std::string StoredKey(const Row& row, const Arch& arch) {
  const std::string key = Lower(row.key);
  if (arch.win64 && !row.other_view) return key;
  const std::string software = "software\\", classes = "software\\classes\\";
  if (key.rfind(classes, 0) == 0) {
    const bool per_view =
        std::any_of(std::begin(kPerViewClasses), std::end(kPerViewClasses), [&](const char* area) {
          return key.compare(classes.size(), std::strlen(area), area) == 0;
        });
    return per_view ? classes + "wow6432node\\" + key.substr(classes.size()) : key;
  }
  if (key.rfind(software, 0) == 0) return software + "wow6432node\\" + key.substr(software.size());
  return key;
}

struct Component {
  std::string id;
  std::string guid;
  bool win64;
  bool file;  // holds the control, its key path; else its first row is
  std::string stored_key;  // below which its rows lie
  std::vector<Row> rows;
};

// A value that the other bitness's installer writes too goes into a
// component named by its key, the same in both installers, so that Windows
// Installer keeps it until the last product that needs it goes; the rest
// goes with the control's file.
std::vector<Component> Components(const TypeLibFacts& lib, const Arch& arch) {
  const Arch& other = arch.win64 ? kX86 : kX64;
  std::map<std::pair<std::string, std::string>, std::string> theirs;
  for (const Row& row : AllRows(lib, other)) theirs[{StoredKey(row, other), row.name}] = row.value;
  std::vector<Component> out = {{"Control", arch.control_component, arch.win64, true, "", {}}};
  for (const Row& row : AllRows(lib, arch)) {
    const std::string stored = StoredKey(row, arch);
    const auto their = theirs.find({stored, row.name});
    if (their == theirs.end()) {
      if (row.other_view) {
        throw std::runtime_error("only one installer writes " + row.key + " for 32-bit programs");
      }
      out.front().rows.push_back(row);
      continue;
    }
    if (their->second != row.value) {
      throw std::runtime_error("the x64 and x86 installers write " + row.key + " " + row.name + " differently");
    }
    auto owner = std::find_if(out.begin() + 1, out.end(), [&](const Component& c) {
      return stored == c.stored_key || stored.rfind(c.stored_key + "\\", 0) == 0;
    });
    if (owner == out.end()) {
      const std::string guid = NameGuid("pelzorvick:component:hklm\\" + stored);
      std::string id = "Shared_";
      for (char c : guid) {
        if (std::isxdigit(static_cast<unsigned char>(c))) id += c;
      }
      out.push_back({id, guid, arch.win64 && !row.other_view, false, stored, {}});
      owner = out.end() - 1;
    }
    owner->rows.push_back(row);
  }
  return out;
}

// Windows Installer compares three fields of a version, each no larger than
// it keeps (255, 255, 65535); the fourth it ignores.
std::string ProductVersion(const std::string& version) {
  unsigned major = 0, minor = 0, build = 0;
  char rest = 0;
  const int read = std::sscanf(version.c_str(), "%u.%u.%u%c", &major, &minor, &build, &rest);
  if (read < 3 || (read == 4 && rest != '.')) {
    throw std::runtime_error("version " + version + " is not N.N.N[.N]");
  }
  if (major > 255 || minor > 255 || build > 65535) {
    throw std::runtime_error("version " + version + " is beyond what Windows Installer keeps");
  }
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build);
}

// One product per installer version and bitness: a newer version is a new
// product that upgrades the older; a build that differs in the fourth field
// alone is the same product, which the installer refuses to install over
// itself rather than keeping two of it.
std::string ProductCode(const std::string& product_version, const Arch& arch) {
  return NameGuid("pelzorvick:" + product_version + ":" + arch.name);
}

std::string RegistryElements(const Component& component, const char* indent) {
  std::string out;
  for (const Row& row : component.rows) {
    out += indent;
    out += "<RegistryValue Root=\"HKLM\" Key=\"" + Xml(row.key) + "\"";
    if (!row.name.empty()) out += " Name=\"" + Xml(row.name) + "\"";
    // An empty value leaves the row's value empty, which writes an empty
    // string.
    out += " Value=\"" + Xml(row.value) + "\" Type=\"string\"";
    if (&row == &component.rows.front() && !component.file) out += " KeyPath=\"yes\"";
    out += "/>\n";
  }
  return out;
}

std::string Wxs(const std::vector<Component>& components, const Arch& arch, const std::string& version) {
  const std::string product_version = ProductVersion(version);
  std::string out =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<!-- Generated by package_sources from the registration table; do not edit. -->\n"
      "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
      "  <Product Id=\"" + ProductCode(product_version, arch) + "\" Name=\"PelZorvick ActiveX control (" +
      std::string(arch.name) + ")\" Language=\"1033\" Version=\"" + product_version +
      "\" Manufacturer=\"PelZorvick\" UpgradeCode=\"" + arch.upgrade_code + "\">\n"
      "    <Package InstallerVersion=\"200\" Compressed=\"yes\" InstallScope=\"perMachine\"\n"
      "             Description=\"PelZorvick ActiveX control " + version + "\"/>\n"
      "    <Media Id=\"1\" Cabinet=\"PelZorvick.cab\" EmbedCab=\"yes\"/>\n"
      "    <MajorUpgrade DowngradeErrorMessage=\"A newer version of PelZorvick is already installed.\"/>\n"
      "    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\">\n"
      "      <Directory Id=\"" + arch.program_files + "\">\n"
      "        <Directory Id=\"INSTALLDIR\" Name=\"" + kInstallFolder + "\">\n";
  std::string refs;
  for (const Component& component : components) {
    out += "          <Component Id=\"" + component.id + "\" Guid=\"" + component.guid + "\" Win64=\"" +
           (component.win64 ? "yes" : "no") + "\">\n";
    if (component.file) {
      out += std::string("            <File Id=\"") + kOcxFileId + "\" Name=\"" + kOcx +
             "\" Source=\"$(var.OcxSource)\" KeyPath=\"yes\"/>\n"
             "            <File Id=\"PelZorvick.admx\" Name=\"PelZorvick.admx\" Source=\"PelZorvick.admx\"/>\n";
    }
    out += RegistryElements(component, "            ") + "          </Component>\n";
    refs += "      <ComponentRef Id=\"" + component.id + "\"/>\n";
  }
  // The template's language part, in the folder Group Policy expects.
  out += std::string("          <Directory Id=\"PolicyLanguage\" Name=\"en-US\">\n"
                     "            <Component Id=\"PolicyLanguage\" Guid=\"") +
         arch.language_component + "\" Win64=\"" + (arch.win64 ? "yes" : "no") + "\">\n"
         "              <File Id=\"PelZorvick.adml\" Name=\"PelZorvick.adml\" Source=\"en-US/PelZorvick.adml\""
         " KeyPath=\"yes\"/>\n"
         "            </Component>\n"
         "          </Directory>\n";
  refs += "      <ComponentRef Id=\"PolicyLanguage\"/>\n";
  out +=
      "        </Directory>\n"
      "      </Directory>\n"
      "    </Directory>\n"
      "    <Feature Id=\"Control\" Level=\"1\" Title=\"PelZorvick control\">\n" + refs +
      "    </Feature>\n"
      "  </Product>\n"
      "</Wix>\n";
  return out;
}

// The names a manifest gives the OLEMISC bits, lowest bit first.
constexpr const char* kMiscNames[] = {
    "recomposeonresize", "onlyiconic", "insertnotreplace", "static", "cantlinkinside",
    "canlinkbyole1", "islinkobject", "insideout", "activatewhenvisible",
    "renderingisdeviceindependent", "invisibleatruntime", "alwaysrun", "actslikebutton",
    "actslikelabel", "nouiactivate", "alignable", "simpleframe", "setclientsitefirst",
    "imemode", "ignoreactivatewhenvisible", "wantstomenumerge", "supportsmultilevelundo"};

std::string MiscNames(unsigned long bits) {
  std::string out;
  for (size_t i = 0; i < std::size(kMiscNames); ++i) {
    if (!(bits & (1UL << i))) continue;
    if (!out.empty()) out += ',';
    out += kMiscNames[i];
    bits &= ~(1UL << i);
  }
  if (bits != 0) throw std::runtime_error("a misc status bit has no manifest name");
  return out;
}

std::string Identity(const Arch& arch, const std::string& version) {
  return std::string("<assemblyIdentity type=\"win32\" name=\"") + kAssemblyName + "\" version=\"" +
         version + "\" processorArchitecture=\"" + arch.manifest + "\"/>";
}

std::string AssemblyManifest(const TypeLibFacts& lib, const Arch& arch, const std::string& version) {
  const std::string libversion = Hex(lib.major) + "." + Hex(lib.minor);
  std::string flags;
  if (lib.flags & 0x1) flags += "restricted,";
  if (lib.flags & 0x2) flags += "control,";
  if (lib.flags & 0x4) flags += "hidden,";
  if (!flags.empty()) flags.pop_back();
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
      "  " + Identity(arch, version) + "\n"
      "  <file name=\"" + kOcx + "\">\n"
      "    <comClass clsid=\"" + CoclassGuid(lib) + "\" threadingModel=\"" +
      Narrow(pz::kThreadingModel) + "\"\n"
      "              progid=\"" + Narrow(pz::kProgId) + "\" tlbid=\"" + lib.libid +
      "\" description=\"" + Xml(Narrow(pz::kClassTitle)) + "\"\n"
      "              miscStatusContent=\"" + MiscNames(pz::kClassMiscStatus) + "\">\n"
      "      <progid>" + Narrow(pz::kVersionIndependentProgId) + "</progid>\n"
      "    </comClass>\n";
  for (const pz::PageClass& page : pz::kPageClasses) {
    out += "    <comClass clsid=\"" + Narrow(page.clsid) + "\" threadingModel=\"" +
           Narrow(pz::kThreadingModel) + "\" description=\"" + Xml(Narrow(page.title)) + "\"/>\n";
  }
  out += "    <typelib tlbid=\"" + lib.libid + "\" version=\"" + libversion + "\" helpdir=\"\"" +
         (flags.empty() ? "" : " flags=\"" + flags + "\"") + "/>\n"
         "  </file>\n";
  for (const auto& type : lib.types) {
    if (type.kind != TypeKind::kDispatch && type.kind != TypeKind::kInterface) continue;
    const bool typelib_marshaled =
        type.kind == TypeKind::kInterface || (type.flags & pz::packaging::kTypeFlagDual);
    out += "  <comInterfaceExternalProxyStub name=\"" + type.name + "\" iid=\"" + type.guid +
           "\" tlbid=\"" + lib.libid + "\" proxyStubClsid32=\"" +
           (typelib_marshaled ? kTypeLibProxy : kDispatchProxy) + "\"/>\n";
  }
  return out + "</assembly>\n";
}

std::string ApplicationManifest(const Arch& arch, const std::string& version) {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
             "<!-- Save as YourProgram.exe.manifest beside YourProgram.exe, with PelZorvick.ocx\n"
             "     and PelZorvick.manifest in the same folder. -->\n"
             "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
             "  <assemblyIdentity type=\"win32\" name=\"Example\" version=\"1.0.0.0\" processorArchitecture=\"") +
         arch.manifest + "\"/>\n"
         "  <dependency>\n"
         "    <dependentAssembly>\n"
         "      " + Identity(arch, version) + "\n"
         "    </dependentAssembly>\n"
         "  </dependency>\n"
         "</assembly>\n";
}

std::string Rows(const std::vector<Row>& rows) {
  std::string out;
  for (const Row& row : rows) {
    out += std::string(row.other_view ? "32" : "native") + "\t" + row.key + "\t" + row.name + "\t" +
           row.value + "\n";
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: package_sources TYPELIB x64|x86 VERSION OUTDIR\n");
    return 1;
  }
  const std::string dir = argv[4];
  const std::vector<std::string> outputs = {dir + "/PelZorvick.wxs", dir + "/PelZorvick.manifest",
                                            dir + "/Example.exe.manifest",
                                            dir + "/registry-rows.tsv"};
  return build_tool::Run("package_sources", outputs, [&] {
    const std::string arch_name = argv[2];
    if (arch_name != "x64" && arch_name != "x86") throw std::runtime_error("unknown ARCH " + arch_name);
    const Arch& arch = arch_name == "x64" ? kX64 : kX86;
    const std::string version = argv[3];
    const TypeLibFacts lib = pz::packaging::ReadTypeLib(build_tool::ReadBytes(argv[1]));
    if ((lib.syskind == 3) != arch.win64) {
      throw std::runtime_error("the type library is not built for " + arch_name);
    }
    const std::string texts[] = {Wxs(Components(lib, arch), arch, version),
                                 AssemblyManifest(lib, arch, version), ApplicationManifest(arch, version),
                                 Rows(AllRows(lib, arch))};
    for (std::size_t i = 0; i < outputs.size(); ++i) build_tool::WriteText(outputs[i], texts[i]);
  });
}
