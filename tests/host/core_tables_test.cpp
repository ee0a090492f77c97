// The launcher's pure functions over the tables in cases/: each table names
// a function below, which turns a case's inputs into text.
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <new>
#include <set>
#include <sstream>
#include "options/launcher_options.h"
#include "base/path_rules.h"
#include "javacommand/java_command.h"
#include "jvmsearch/verify_output.h"
#include "jvmsearch/jvm_search.h"
#include "jvmsearch/modern_places.h"
#include "jvmsearch/planted_jvm_guard.h"
#include "package/launcher_settings.h"
#include "package/criteria_record.h"
#include "package/installation_package.h"
#include "package/java_archive.h"
#include "package/pe_image.h"
#include "tests/host/case_table.h"
#include "tests/host/fake_machine.h"
#include "tests/host/test_bytes.h"
#include "base/big_endian.h"
#include "base/process_command_line.h"
#include "base/window_placement.h"

// Allocations fail from the Nth on while FailAllocationsFrom(N) holds, as
// in a 32-bit process whose address space is used up.
namespace {
long allocationsLeft = -1;
}
void* operator new(size_t size) {
    if (allocationsLeft == 0) throw std::bad_alloc();
    if (allocationsLeft > 0) --allocationsLeft;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace tarnwick {
namespace {

using test::Strings;
using In = const Strings&;

// Stands in for the ANSI code page: ASCII through, everything else '?'.
std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? char(c) : '?';
    return out;
}
std::u16string Wide(const std::string& latin1) { return {latin1.begin(), latin1.end()}; }
std::string YesNo(bool b) { return b ? "yes" : "no"; }
uint64_t Number(const std::string& text) { return std::stoull(text, nullptr, 0); }
std::vector<int> Numbers(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<int>(in), std::istream_iterator<int>()};
}

// A section's or resource's name and the data it reads.
template <class Part> std::string Data(MemoryFiles& files, const Part& part) {
    std::string data(size_t(part.size) + 1, '\0');
    const bool read = part.ReadData(files, reinterpret_cast<uint8_t*>(&data[0]));
    return part.name + "=" + (read ? data.substr(0, part.size) : "unread");
}

// home, libs, bin, vendor, version, type
JvmDescriptor Jvm(Strings f) {
    JvmDescriptor d;
    f.resize(6), d.home = f[0], d.libs = f[1], d.bin = f[2], d.vendor = f[3], d.version = f[4], d.type = f[5];
    return d;
}

// The file built from in[2] at `at`, and a log that traces when in[0] is "logall".
const EnglishTexts kTexts;
struct Reading {
    Reading(In in, const std::string& at) { files.Add(at, test::Build(in[2])), log.SetTracing(in[0] == "logall"); }
    MemoryFiles files;
    test::MemoryLog log;
};

// Counts the bytes the readers take from the files they open.
struct CountingFiles final : SourceOpener {
    struct Counted final : ByteSource {
        Counted(std::unique_ptr<ByteSource> s, uint64_t& n) : source(std::move(s)), bytes(n) {}
        bool Read(void* out, uint32_t size) override { return bytes += size, source->Read(out, size); }
        bool Seek(uint64_t position) override { return source->Seek(position); }
        bool Size(uint64_t* size) override { return source->Size(size); }
        std::unique_ptr<ByteSource> source;
        uint64_t& bytes;
    };
    std::unique_ptr<ByteSource> Open(const std::string& path) override {
        auto file = files.Open(path);
        return file ? std::make_unique<Counted>(std::move(file), bytes) : nullptr;
    }
    MemoryFiles files;
    uint64_t bytes = 0;
};

// The reader's answer and the bytes it read to give it.
template <class Read> Strings ReadCost(const std::string& recipe, Read read) {
    CountingFiles counting;
    counting.files.Add("f", test::Build(recipe));
    test::MemoryLog log;
    const bool ok = read(counting, log);
    return {YesNo(ok), std::to_string(counting.bytes)};
}

// "vendor/version/type" per criterion, ';' between criteria, groups in ().
std::string Describe(const std::vector<JvmCriterion>& criteria) {
    std::string text;
    for (const auto& c : criteria) text += (text.empty() ? "" : ";") + c.vendor + "/" + c.version + "/" + c.type;
    return text;
}

// Home folder "H" below which the ';'-separated files exist; `asked` keeps the probes.
FileProbe Files(const std::string& home, const std::string& existing, Strings* asked = nullptr) {
    std::set<std::string> files;
    for (const std::string& f : test::Split(existing, ";")) files.insert(home + f);
    return [files, asked](const std::string& path) {
        if (asked) asked->push_back(path);
        return files.count(path) != 0;
    };
}

template <class Part, class Size> Strings LiesInFile(const Strings& in) {
    Part part;
    part.size = Size(std::stoll(in[0], nullptr, 0)), part.dataOffset = Number(in[1]), part.fileSize = 100;
    return {YesNo(part.LiesInFile())};
}

// Reads the hex bytes in the listed widths (8 16 32 64, s for a counted
// string; b16:N and bs:N the same from a buffer of N bytes); a failed read
// shows "!" and the value it left.
std::string ReadBigEndian(const std::string& hex, const std::string& widths) {
    const std::vector<uint8_t> bytes = test::Build("x:" + hex);
    MemorySource source(bytes);
    Strings out;
    for (const std::string& w : test::Split(widths, " ")) {
        uint8_t u8 = 7; uint16_t u16 = 7; uint32_t u32 = 7; UInt64Halves u64{7, 7}; std::string s = "7", value;
        const size_t available = w[0] == 'b' ? Number(w.substr(w.find(':') + 1)) : 0;
        bool ok = false;
        if (w.rfind("b16:", 0) == 0) ok = ReadUInt16(bytes.data(), available, &u16), value = std::to_string(u16);
        if (w.rfind("bs:", 0) == 0) ok = ReadCountedString(bytes.data(), available, &s), value = "'" + s + "'";
        if (w == "8") ok = ReadByte(source, &u8), value = std::to_string(u8);
        if (w == "16") ok = ReadUInt16(source, &u16), value = std::to_string(u16);
        if (w == "32") ok = ReadUInt32(source, &u32), value = std::to_string(u32);
        if (w == "64") ok = ReadUInt64(source, &u64), value = std::to_string(u64.high) + ":" + std::to_string(u64.low);
        if (w == "s") ok = ReadCountedString(source, &s), value = "'" + s + "'";
        out.push_back((ok ? "" : "!") + value);
    }
    return test::Join(out, " ");
}

const std::map<std::string, test::CaseFunction> kFunctions = {
    {"ResolveOptionPath", [](In in) -> Strings {
         const std::string got = ResolveOptionPath(in[0], in[1]);
         EXPECT_EQ(Narrow(ResolveOptionPath(Wide(in[0]), Wide(in[1]))), got) << "the UTF-16 instance differs";
         return {got};
     }},
    {"PathRoot", [](In in) -> Strings { return {PathRoot(in[0])}; }},
    {"BaseFolderOf", [](In in) -> Strings { return {BaseFolderOf(in[0])}; }},
    {"JoinPath", [](In in) -> Strings { return {JoinPath(in[0], in[1])}; }},
    {"ComposeProcessCommandLine", [](In in) -> Strings { return {ComposeProcessCommandLine(in[0], in[1])}; }},
    {"ParseCommandLine", [](In in) -> Strings {
         LauncherOptions o;
         o.ParseCommandLine(Wide(in[0]), &Narrow);
         std::string flags;
         for (auto [on, letter] : {std::pair{o.searchCriteriaGiven, 'c'}, {o.noSearch, 'n'}, {o.logGiven, 'l'},
                                   {o.silent, 's'}, {o.logAll, 'a'}}) if (on) flags += letter;
         return {Narrow(o.jvm), Narrow(o.archive), Narrow(o.verify), Narrow(o.log), o.searchCriteria, flags};
     }},
    {"TrimSpaces", [](In in) -> Strings { std::string t = in[0]; TrimSpaces(t); return {"[" + t + "]"}; }},
    {"ParseSearchCriteria", [](In in) -> Strings { return {Describe(ParseSearchCriteria(in[0]))}; }},
    {"GroupCriteria", [](In in) -> Strings {
         std::string groups;
         for (const CriterionGroup& g : GroupCriteria(in[1], int(Number(in[0])))) groups += "(" + Describe(g) + ")";
         return {groups};
     }},
    {"MatchCriterion", [](In in) -> Strings {
         JvmCriterion c;
         EXPECT_TRUE(c.ParseCriterionTerm(in[0]));
         const bool matched = MatchCriterion(c, Jvm({"", "", "C:\\jre\\bin\\jre.exe", in[1], in[2]}));
         return {YesNo(matched), Describe({c}), YesNo(c.matched), c.matchedExecutable};
     }},
    {"MatchJvm", [](In in) -> Strings {
         JvmCriterion c;
         EXPECT_TRUE(c.ParseCriterionTerm(in[0]));
         const bool matched = MatchJvm(c, Jvm({"", "", "C:\\jdk\\bin\\java.exe", in[1], in[2]}));
         return {YesNo(matched), Describe({c}), YesNo(c.matched), c.matchedExecutable};
     }},
    {"FeatureVersion", [](In in) -> Strings {
         int feature = -1, minimum = -1;
         const bool isFeature = FeatureVersion(in[0], &feature), isMinimum = MinimumFeatureVersion(in[0], &minimum);
         return {isFeature ? std::to_string(feature) : "none", isMinimum ? std::to_string(minimum) : "none"};
     }},
    {"NormalizeJavaHome", [](In in) -> Strings { return {"[" + NormalizeJavaHome(in[0]) + "]", YesNo(IsJavapathFolder(in[0]))}; }},
    {"ReadSettings", [](In in) -> Strings {
         const std::vector<uint8_t> data(in[0].begin(), in[0].end());
         Strings keys;
         for (const SettingLine& line : ReadSettingLines(data)) keys.push_back("[" + line.key + "]=[" + line.value + "]");
         const LauncherSettings settings = InterpretSettings(ReadSettingLines(data));
         return {test::Join(keys, " "), std::string(settings.modernSearch ? "modern" : "classic") +
                 (settings.installerExitCode ? " installer" : " zero"), test::Join(settings.ignored, ";")};
     }},
    // Code page "latin1" has the first 256 code points; "dbcs" takes any
    // bytes and starts a double-byte character at each byte from 0x80.
    {"ChooseTitle", [](In in) -> Strings {
         const std::vector<uint8_t> data(in[0].begin(), in[0].end());
         const bool latin1 = in[3] == "latin1";
         auto toCodePage = [latin1](const std::string& utf8, std::string* text) {
             text->clear();
             for (size_t i = 0; i < utf8.size(); ++i) {
                 const uint8_t lead = uint8_t(utf8[i]);
                 if (!latin1 || lead < 0x80) *text += char(lead);
                 else if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) *text += char((lead & 3) << 6 | (utf8[++i] & 0x3F));
                 else return false;
             }
             return true;
         };
         return {"[" + ChooseTitle(InterpretSettings(ReadSettingLines(data)), in[1], toCodePage,
                                   [latin1](uint8_t b) { return !latin1 && b >= 0x80; }, std::stoul(in[2])) + "]"};
     }},
    {"ParseCriterionTerm", [](In in) -> Strings {
         JvmCriterion c;
         c.vendor = "ibm";  // what a term does not name stays
         return {YesNo(c.ParseCriterionTerm(in[0])), Describe({c})};
     }},
    {"SameJvm", [](In in) -> Strings {
         return {YesNo(SameJvm(Jvm({in[0], in[1], in[2]}), Jvm({in[3], in[4], in[5], in[6], in[7], in[8]})))};
     }},
    {"BuildJavaCommand", [](In in) -> Strings {
         std::string args;
         return {BuildJavaCommand(in[0], in[1], in[2], args) ? args : "refused [" + args + "]"};
     }},
    {"ComposeJdkClassPath", [](In in) -> Strings { return {ComposeJdkClassPath(in[0], Files(in[0], in[1]))}; }},
    {"ComposeJreClassPath", [](In in) -> Strings {
         Strings asked;  // a braced list runs left to right: the probes are in before they are joined
         return {ComposeJreClassPath(in[0], Files(in[0], in[1], &asked)), test::Join(asked, ";")};
     }},
    {"ReadVerifyOutput", [](In in) -> Strings {
         const auto [version, vendor, home] = ReadVerifyOutput(in[0]);
         return {"[" + version + "]", "[" + vendor + "]"};
     }},
    {"SplitClassLocation", [](In in) -> Strings {
         const auto [folder, name] = SplitClassLocation(in[0]);
         return {folder, name};
     }},
    {"FormatText", [](In in) -> Strings {
         std::vector<FormatArg> a;
         for (size_t i = 1; i < in.size(); ++i) {
             const std::string& v = in[i];  // the arguments keep views of it
             const std::string_view text = std::string_view(v).substr(2);
             a.push_back(v[0] == 's' ? FormatArg(text) : v[0] == 'd' ? FormatArg(int32_t(std::stol(v.substr(2))))
                                                                      : FormatArg(uint32_t(std::stoul(v.substr(2)))));
         }
         const std::string& f = in[0];
         const size_t n = a.size();
         return {n == 0 ? FormatText(f, {}) : n == 1 ? FormatText(f, {a[0]}) : n == 2 ? FormatText(f, {a[0], a[1]})
                 : n == 3 ? FormatText(f, {a[0], a[1], a[2]}) : FormatText(f, {a[0], a[1], a[2], a[3]})};
     }},
    {"FormatLogHeader", [](In in) -> Strings {
         const std::vector<int> t = Numbers(in[2]);
         return {FormatLogHeader(in[0], in[1], {t[0], t[1], t[2], t[3], t[4], t[5]})};
     }},
    {"CenteredPosition", [](In in) -> Strings {
         const std::vector<int> w = Numbers(in[0]), p = Numbers(in[1]);
         const ScreenRect parent = p.empty() ? ScreenRect{} : ScreenRect{p[0], p[1], p[2], p[3]};
         const ScreenPoint at = CenteredPosition({w[0], w[1], w[2], w[3]}, p.empty() ? nullptr : &parent, 1024, 768);
         return {std::to_string(at.x) + " " + std::to_string(at.y)};
     }},
    {"ImageSize", [](In in) -> Strings { MemorySource s(test::Build(in[0])); return {std::to_string(ImageSize(s))}; }},
    // With "logall" first: the whole trace, and every section or resource
    // with the data it reads (or "unread").
    {"ReadSectionTable", [](In in) -> Strings {
         Reading r(in, "C:\\t\\setup.exe");
         InstallationPackage package(r.files, kTexts);
         if (!package.ReadSectionTable(in[1], r.log)) return {"no", r.log.text};
         std::string sections;
         for (int id : {1, 2, 3, 4, 9}) sections += " " + std::to_string(id) + ":" + Data(r.files, package.Section(id));
         return {"yes", r.log.text, sections.substr(1)};
     }},
    {"LoadSettings", [](In in) -> Strings {
         Reading r(in, "C:\\t\\setup.exe");
         InstallationPackage package(r.files, kTexts);
         EXPECT_TRUE(package.ReadSectionTable("C:\\t\\setup.exe", r.log));
         r.log.text.clear();
         const LauncherSettings settings = LoadSettings(package, r.files, r.log);
         return {std::string(settings.modernSearch ? "modern" : "classic") + (settings.installerExitCode ? " installer" : " zero"),
                 r.log.text};
     }},
    {"ReadArchive", [](In in) -> Strings {
         Reading r(in, "C:\\t\\Install.class");
         JavaArchive archive(r.files, kTexts, r.log);
         if (!archive.ReadArchive(in[1])) return {"no", r.log.text};
         std::string sections;
         for (const auto& [name, section] : archive.sections()) {
             sections += " " + name + "(" + std::to_string(section.resourceCount) + "):";
             for (const ArchiveResource& res : section.resources)
                 sections += " " + std::to_string(res.flag) + ":" + Data(r.files, res);
         }
         return {"yes", r.log.text, sections.substr(1)};
     }},
    {"ArchiveReadCost", [](In in) -> Strings {
         return ReadCost(in[0], [](SourceOpener& files, LogSink& log) {
             return JavaArchive(files, kTexts, log).ReadArchive("f");
         });
     }},
    {"SectionTableReadCost", [](In in) -> Strings {
         return ReadCost(in[0], [](SourceOpener& files, LogSink& log) {
             return InstallationPackage(files, kTexts).ReadSectionTable("f", log);
         });
     }},
    // Every allocation of a read failing in turn: each must end the read
    // as a refusal, none may escape it.
    {"ReadArchiveOutOfMemory", [](In in) -> Strings {
         for (long n = 0;; ++n) {
             Reading r(in, "C:\\t\\Install.class");
             JavaArchive archive(r.files, kTexts, r.log);
             bool read = false;
             try {
                 allocationsLeft = n;
                 read = archive.ReadArchive(in[1]);
                 allocationsLeft = -1;
             } catch (const std::bad_alloc&) {
                 allocationsLeft = -1;
                 return {"allocation " + std::to_string(n) + " escaped"};
             }
             if (read) return {"refused until enough succeed"};
         }
     }},
    {"ReadBigEndian", [](In in) -> Strings { return {ReadBigEndian(in[0], in[1])}; }},
    {"CriteriaFromRecord", [](In in) -> Strings { return {CriteriaFromRecord({in[0].begin(), in[0].end()})}; }},
    {"OnlyAdministratorsMayChange", [](In in) -> Strings {
         const std::map<std::string, PathPart> parts{{"file", PathPart::File}, {"folder", PathPart::Folder}, {"root", PathPart::DriveRoot}};
         return {YesNo(OnlyAdministratorsMayChange(test::Access(in[1], in[2]), parts.at(in[0])))};
     }},
    {"ReadSecurityDescriptor", [](In in) -> Strings {
         const test::Data bytes = test::Build(in[0]);
         ObjectAccess a;
         if (!ReadSecurityDescriptor(bytes.data(), bytes.size(), &a)) return {"refused"};
         std::string entries = a.hasAccessList ? "" : "nolist";
         for (const AccessEntry& e : a.entries) {
             char rights[12];
             std::snprintf(rights, sizeof rights, "%#x", e.rights);
             entries += (entries.empty() ? "" : " ") + std::string(!e.allows ? "deny:" : e.inheritOnly ? "inherit:" : "allow:") + e.sid + ":" + rights;
         }
         return {a.owner, entries};
     }},
    {"PackageSectionLiesInFile", [](In in) -> Strings { return LiesInFile<PackageSection, int32_t>(in); }},
    {"ArchiveResourceLiesInFile", [](In in) -> Strings { return LiesInFile<ArchiveResource, uint32_t>(in); }},
};

TEST(CoreTables, EveryCase) {
    for (const char* file : {"paths.txt", "options.txt", "criteria.txt", "java_command.txt", "verify_output.txt",
                             "log_format.txt", "readers.txt", "package.txt", "access.txt"})
        test::RunCases(file, kFunctions);
}

}  // namespace
}  // namespace tarnwick
