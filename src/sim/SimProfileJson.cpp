#include "sim/SimProfileJson.h"

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "files/SafeFileWriter.h"
#include "sim/HexText.h"

namespace quillet::sim {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kFormatName = "quillet-virtual-card";
constexpr int kFormatVersion = 1;
constexpr std::uint16_t kMasterFile = 0x3F00;
constexpr std::size_t kMaxRecords = 254;  // record numbers are one byte, 1..254
constexpr std::size_t kMaxTransparentSize = 0xFFFF;

// Reads a JSON document into a profile, remembering the first error with the field's path.
class ProfileReader {
public:
    explicit ProfileReader(std::string sourceName) : m_source(std::move(sourceName)) {}

    bool Read(const Json& root, SimProfile& profile);
    const std::string& Error() const { return m_error; }

private:
    bool Fail(const std::string& field, const std::string& message) {
        m_error = m_source + ": " + field + ": " + message;
        return false;
    }
    const Json* Member(const Json& object, const std::string& key, const std::string& field, bool required);
    bool ReadString(const Json& object, const std::string& key, const std::string& field, std::string& out,
                    bool required = true);
    bool ReadBool(const Json& object, const std::string& key, const std::string& field, bool& out);
    bool ReadNumber(const Json& object, const std::string& key, const std::string& field, unsigned max, unsigned& out);
    bool ReadHex(const Json& value, const std::string& field, std::vector<std::uint8_t>& out);
    bool ReadFileId(const std::string& text, const std::string& field, std::uint16_t& out);
    bool ReadCode(const Json& codes, const std::string& key, SecretCode& code);
    bool ReadAccess(const Json& file, const std::string& field, FileAccess& access);
    bool ReadFilePath(const std::string& path, const std::string& field, const std::set<DirectoryKey>& directories,
                      FileRef& file);
    bool ReadFile(const Json& entry, const std::string& field, const std::set<DirectoryKey>& directories,
                  SimElementaryFile& file);
    bool ReadRecords(const Json& entry, const std::string& where, SimElementaryFile& file);
    bool ReadCodes(const Json& root, SimProfile& profile);
    bool ReadPlatform(const Json& root, SimProfile& profile);
    bool ReadDirectories(const Json& root, SimProfile& profile, std::set<DirectoryKey>& directoryKeys);
    bool ReadFiles(const Json& root, const std::set<DirectoryKey>& directoryKeys, SimProfile& profile);
    bool CheckSecondNames(const SimProfile& profile);

    std::string m_source;
    std::string m_error;
};

const Json* ProfileReader::Member(const Json& object, const std::string& key, const std::string& field, bool required) {
    const auto found = object.find(key);
    if (found == object.end()) {
        if (required) Fail(field, "missing");
        return nullptr;
    }
    return &*found;
}

bool ProfileReader::ReadString(const Json& object, const std::string& key, const std::string& field, std::string& out,
                               bool required) {
    const Json* value = Member(object, key, field, required);
    if (value == nullptr) return !required;
    if (!value->is_string()) return Fail(field, "must be a text");
    out = value->get<std::string>();
    return true;
}

bool ProfileReader::ReadBool(const Json& object, const std::string& key, const std::string& field, bool& out) {
    const Json* value = Member(object, key, field, false);
    if (value == nullptr) return true;  // every flag has a default
    if (!value->is_boolean()) return Fail(field, "must be true or false");
    out = value->get<bool>();
    return true;
}

bool ProfileReader::ReadNumber(const Json& object, const std::string& key, const std::string& field, unsigned max,
                               unsigned& out) {
    const Json* value = Member(object, key, field, true);
    if (value == nullptr) return false;
    if (!value->is_number_unsigned() || value->get<std::uint64_t>() > max) {
        return Fail(field, "must be a whole number from 0 to " + std::to_string(max));
    }
    out = static_cast<unsigned>(value->get<std::uint64_t>());
    return true;
}

bool ProfileReader::ReadHex(const Json& value, const std::string& field, std::vector<std::uint8_t>& out) {
    if (!value.is_string()) return Fail(field, "must be a text of hexadecimal digits");
    std::string problem;
    std::optional<std::vector<std::uint8_t>> bytes = FromHex(value.get<std::string>(), problem);
    if (!bytes) return Fail(field, problem);
    out = std::move(*bytes);
    return true;
}

bool ProfileReader::ReadFileId(const std::string& text, const std::string& field, std::uint16_t& out) {
    std::string problem;
    std::optional<std::vector<std::uint8_t>> bytes = FromHex(text, problem);
    if (!bytes || bytes->size() != 2) return Fail(field, "must be a file id of four hexadecimal digits");
    out = static_cast<std::uint16_t>((*bytes)[0] << 8 | (*bytes)[1]);
    return true;
}

bool ProfileReader::ReadCode(const Json& codes, const std::string& key, SecretCode& code) {
    const std::string field = "codes." + key;
    const Json* entry = Member(codes, key, field, true);
    if (entry == nullptr) return false;
    if (!entry->is_object()) return Fail(field, "must be an object");
    unsigned attemptsLeft = 0;
    unsigned maxAttempts = 0;
    SecretCode read;
    if (!ReadString(*entry, "digits", field + ".digits", read.digits) ||
        !ReadNumber(*entry, "maxAttempts", field + ".maxAttempts", 15, maxAttempts)) {
        return false;
    }
    if (maxAttempts == 0) return Fail(field + ".maxAttempts", "must be 1 to 15");
    if (!ReadNumber(*entry, "attemptsLeft", field + ".attemptsLeft", maxAttempts, attemptsLeft) ||
        !ReadBool(*entry, "initialised", field + ".initialised", read.initialised)) {
        return false;
    }
    if (read.digits.size() < 4 || read.digits.size() > 8 ||
        read.digits.find_first_not_of("0123456789") != std::string::npos) {
        return Fail(field + ".digits", "must be 4 to 8 decimal digits");
    }
    read.attemptsLeft = static_cast<std::uint8_t>(attemptsLeft);
    read.maxAttempts = static_cast<std::uint8_t>(maxAttempts);
    code = read;
    return true;
}

bool ProfileReader::ReadAccess(const Json& file, const std::string& field, FileAccess& access) {
    const Json* entry = Member(file, "access", field + ".access", true);
    if (entry == nullptr) return false;
    if (!entry->is_object()) return Fail(field + ".access", "must be an object");
    const std::pair<const char*, AccessLevel*> levels[] = {{"read", &access.read},
                                                           {"update", &access.update},
                                                           {"increase", &access.increase},
                                                           {"invalidate", &access.invalidate},
                                                           {"rehabilitate", &access.rehabilitate}};
    for (const auto& [key, level] : levels) {
        const std::string name = field + ".access." + key;
        std::string text;
        if (!ReadString(*entry, key, name, text)) return false;
        if (text == "ALW")
            *level = AccessLevel::Always;
        else if (text == "CHV1")
            *level = AccessLevel::Chv1;
        else if (text == "CHV2")
            *level = AccessLevel::Chv2;
        else if (text == "ADM")
            *level = AccessLevel::Adm;
        else if (text == "NEV")
            *level = AccessLevel::Never;
        else
            return Fail(name, "must be ALW, CHV1, CHV2, ADM or NEV");
    }
    return true;
}

// "3F00/2FE2", "7F10/6F3A" or "7F10/5F3A/4F30": a listed directory and the EF's id in it.
bool ProfileReader::ReadFilePath(const std::string& path, const std::string& field,
                                 const std::set<DirectoryKey>& directories, FileRef& file) {
    if ((path.size() != 9 && path.size() != 14) || path[4] != '/' || (path.size() == 14 && path[9] != '/')) {
        return Fail(field, "must look like 7F10/6F3A or 7F10/5F3A/4F3A");
    }
    const std::string directoryText = path.substr(0, path.size() - 5);
    std::uint16_t outer = 0;
    std::uint16_t inner = 0;
    if (!ReadFileId(directoryText.substr(0, 4), field, outer) ||
        (path.size() == 14 && !ReadFileId(directoryText.substr(5), field, inner)) ||
        !ReadFileId(path.substr(path.size() - 4), field, file.id)) {
        return false;
    }
    file.directory = path.size() == 14 ? ChildDirectoryKey(outer, inner) : outer;
    if (file.directory != kMasterFile && !directories.contains(file.directory)) {
        return Fail(field, "directory " + directoryText + " is not listed in directories");
    }
    // EFs under the MF start with 2F, under a DF or an ADF with 6F, one level further down with 4F.
    const unsigned expectedPrefix = file.directory == kMasterFile ? 0x2F : file.directory > 0xFFFF ? 0x4F : 0x6F;
    if (file.id >> 8 != expectedPrefix) {
        return Fail(field,
                    "an EF in " + directoryText + " has an id starting with " + FileIdText(expectedPrefix).substr(2));
    }
    return true;
}

bool ProfileReader::ReadFile(const Json& entry, const std::string& field, const std::set<DirectoryKey>& directories,
                             SimElementaryFile& file) {
    if (!entry.is_object()) return Fail(field, "must be an object");
    std::string path;
    if (!ReadString(entry, "path", field + ".path", path)) return false;
    const std::string where = field + " (" + path + ")";
    FileRef name;
    if (!ReadFilePath(path, where + ".path", directories, name)) return false;
    file.directory = name.directory;
    file.id = name.id;
    if (!ReadString(entry, "name", where + ".name", file.name, false)) return false;
    if (entry.contains("sameAs")) {
        std::string body;
        FileRef target;
        if (!ReadString(entry, "sameAs", where + ".sameAs", body) ||
            !ReadFilePath(body, where + ".sameAs", directories, target)) {
            return false;
        }
        file.sameAs = target;
        return true;
    }
    std::string structure;
    if (!ReadString(entry, "structure", where + ".structure", structure) || !ReadAccess(entry, where, file.access) ||
        !ReadBool(entry, "invalidated", where + ".invalidated", file.invalidated) ||
        !ReadBool(entry, "usableWhenInvalidated", where + ".usableWhenInvalidated", file.usableWhenInvalidated)) {
        return false;
    }
    if (structure == "transparent") {
        file.structure = FileStructure::Transparent;
        const Json* content = Member(entry, "content", where + ".content", true);
        if (content == nullptr || !ReadHex(*content, where + ".content", file.content)) return false;
        if (file.content.empty() || file.content.size() > kMaxTransparentSize) {
            return Fail(where + ".content", "must hold 1 to 65535 bytes");
        }
        return true;
    }
    if (structure == "linear-fixed") {
        file.structure = FileStructure::LinearFixed;
    } else if (structure == "cyclic") {
        file.structure = FileStructure::Cyclic;
    } else {
        return Fail(where + ".structure", "must be transparent, linear-fixed or cyclic");
    }
    return ReadRecords(entry, where, file);
}

bool ProfileReader::ReadRecords(const Json& entry, const std::string& where, SimElementaryFile& file) {
    unsigned recordLength = 0;
    if (!ReadNumber(entry, "recordLength", where + ".recordLength", 255, recordLength)) return false;
    if (recordLength == 0) return Fail(where + ".recordLength", "must be 1 to 255");
    file.recordLength = static_cast<std::uint8_t>(recordLength);
    const Json* records = Member(entry, "records", where + ".records", true);
    if (records == nullptr) return false;
    if (!records->is_array() || records->empty() || records->size() > kMaxRecords) {
        return Fail(where + ".records", "must be a list of 1 to 254 records");
    }
    for (std::size_t index = 0; index < records->size(); ++index) {
        const std::string name = where + ".records[" + std::to_string(index) + "]";
        std::vector<std::uint8_t> record;
        if (!ReadHex((*records)[index], name, record)) return false;
        if (record.size() != recordLength) {
            return Fail(name,
                        "must hold " + std::to_string(recordLength) + " bytes, not " + std::to_string(record.size()));
        }
        file.records.push_back(std::move(record));
    }
    return true;
}

bool ProfileReader::Read(const Json& root, SimProfile& profile) {
    if (!root.is_object()) return Fail("(document)", "must be a JSON object");
    std::string format;
    if (!ReadString(root, "format", "format", format)) return false;
    if (format != kFormatName) return Fail("format", std::string("must be \"") + kFormatName + "\"");
    unsigned version = 0;
    if (!ReadNumber(root, "version", "version", 1000, version)) return false;
    if (version != kFormatVersion) return Fail("version", "this program reads version 1 only");

    std::string kind;
    if (!ReadString(root, "kind", "kind", kind) ||
        !ReadString(root, "description", "description", profile.description, false)) {
        return false;
    }
    if (kind == "memory-card") {
        profile.kind = SimProfile::Kind::MemoryCard;
        const Json* memory = Member(root, "memory", "memory", true);
        std::vector<std::uint8_t> bytes;
        if (memory == nullptr || !ReadHex(*memory, "memory", bytes)) return false;
        if (bytes.size() != profile.memory.size()) return Fail("memory", "must hold 32 bytes");
        std::copy(bytes.begin(), bytes.end(), profile.memory.begin());
        return true;
    }
    if (kind != "sim") return Fail("kind", "must be sim or memory-card");
    profile.kind = SimProfile::Kind::Sim;

    const Json* atr = Member(root, "atr", "atr", true);
    if (atr == nullptr || !ReadHex(*atr, "atr", profile.atr)) return false;
    if (profile.atr.size() < 2 || profile.atr.size() > 33 || (profile.atr[0] != 0x3B && profile.atr[0] != 0x3F)) {
        return Fail("atr", "must be 2 to 33 bytes starting with 3B or 3F");
    }
    if (!ReadPlatform(root, profile) || !ReadBool(root, "chv1Enabled", "chv1Enabled", profile.chv1Enabled) ||
        !ReadCodes(root, profile)) {
        return false;
    }
    std::set<DirectoryKey> directoryKeys;
    return ReadDirectories(root, profile, directoryKeys) && ReadFiles(root, directoryKeys, profile) &&
           CheckSecondNames(profile);
}

bool ProfileReader::ReadPlatform(const Json& root, SimProfile& profile) {
    std::string platform = CardPlatformName(CardPlatform::GsmSim);
    if (!ReadString(root, "platform", "platform", platform, false)) return false;
    for (const CardPlatform known : {CardPlatform::GsmSim, CardPlatform::UiccWithGsm, CardPlatform::UsimOnly}) {
        if (platform == CardPlatformName(known)) {
            profile.platform = known;
            return true;
        }
    }
    return Fail("platform", "must be gsm, uicc-with-gsm or usim-only");
}

// The four codes and the states they may be in together.
bool ProfileReader::ReadCodes(const Json& root, SimProfile& profile) {
    const Json* codes = Member(root, "codes", "codes", true);
    if (codes == nullptr) return false;
    if (!codes->is_object()) return Fail("codes", "must be an object");
    if (!ReadCode(*codes, "chv1", profile.chv1) || !ReadCode(*codes, "unblockChv1", profile.unblockChv1) ||
        !ReadCode(*codes, "chv2", profile.chv2) || !ReadCode(*codes, "unblockChv2", profile.unblockChv2)) {
        return false;
    }

    // States a card cannot reach: an enabled CHV1 that was never set, a disabled one that is blocked.
    if (profile.chv1Enabled && !profile.chv1.initialised) {
        return Fail("codes.chv1.initialised", "an enabled CHV1 must be initialised");
    }
    if (!profile.chv1Enabled && profile.chv1.attemptsLeft == 0) {
        return Fail("codes.chv1.attemptsLeft", "a disabled CHV1 cannot be blocked");
    }
    return true;
}

bool ProfileReader::ReadDirectories(const Json& root, SimProfile& profile, std::set<DirectoryKey>& directoryKeys) {
    const Json* directories = Member(root, "directories", "directories", true);
    if (directories == nullptr) return false;
    if (!directories->is_array()) return Fail("directories", "must be a list");
    for (std::size_t index = 0; index < directories->size(); ++index) {
        const std::string field = "directories[" + std::to_string(index) + "]";
        const Json& entry = (*directories)[index];
        if (!entry.is_object()) return Fail(field, "must be an object");
        SimDirectory directory;
        std::string id;
        std::string parent = FileIdText(kMasterFile);
        if (!ReadString(entry, "id", field + ".id", id) || !ReadFileId(id, field + ".id", directory.id) ||
            !ReadString(entry, "name", field + ".name", directory.name, false) ||
            !ReadString(entry, "parent", field + ".parent", parent, false) ||
            !ReadFileId(parent, field + ".parent", directory.parent)) {
            return false;
        }
        if (entry.contains("aid")) {
            if (!ReadHex(entry["aid"], field + ".aid", directory.aid)) return false;
            if (directory.aid.size() < 5 || directory.aid.size() > 16)
                return Fail(field + ".aid", "must be 5 to 16 bytes");
            if (directory.parent != kMasterFile) return Fail(field + ".parent", "an ADF has no parent DF");
        }
        // A DF under the MF (or an ADF) starts with 7F, a DF one level further down with 5F.
        const bool nested = directory.parent != kMasterFile;
        if (nested && (directory.parent >> 8 != 0x7F || !directoryKeys.contains(directory.parent))) {
            return Fail(field + ".parent", "must be 3F00 or a DF listed before, whose id starts with 7F");
        }
        if (directory.id >> 8 != (nested ? 0x5F : 0x7F)) {
            return Fail(field + ".id",
                        nested ? "a DF inside a DF has an id starting with 5F" : "a DF id starts with 7F");
        }
        if (!directoryKeys.insert(directory.Key()).second) return Fail(field + ".id", "repeats another directory");
        if (directoryKeys.size() > 255) return Fail(field, "a card holds at most 255 DFs");
        profile.directories.push_back(directory);
    }
    return true;
}

bool ProfileReader::ReadFiles(const Json& root, const std::set<DirectoryKey>& directoryKeys, SimProfile& profile) {
    const Json* files = Member(root, "files", "files", true);
    if (files == nullptr) return false;
    if (!files->is_array()) return Fail("files", "must be a list");
    std::set<std::pair<DirectoryKey, std::uint16_t>> seen;
    std::map<DirectoryKey, std::size_t> filesPerDirectory;
    for (std::size_t index = 0; index < files->size(); ++index) {
        const std::string field = "files[" + std::to_string(index) + "]";
        SimElementaryFile file;
        if (!ReadFile((*files)[index], field, directoryKeys, file)) return false;
        if (!seen.insert({file.directory, file.id}).second) {
            return Fail(field + ".path", "file id " + FileIdText(file.id) + " is used twice in its directory");
        }
        if (++filesPerDirectory[file.directory] > 255) return Fail(field, "a directory holds at most 255 EFs");
        profile.files.push_back(std::move(file));
    }
    return true;
}

// A second name must name a file that has a body of its own.
bool ProfileReader::CheckSecondNames(const SimProfile& profile) {
    for (std::size_t index = 0; index < profile.files.size(); ++index) {
        const SimElementaryFile& file = profile.files[index];
        if (file.sameAs && profile.FindFile(file.directory, file.id) == nullptr) {
            return Fail("files[" + std::to_string(index) + "].sameAs",
                        "must name a file of the card that is not a second name itself");
        }
    }
    return true;
}

Json CodeToJson(const SecretCode& code) {
    return Json{{"digits", code.digits},
                {"attemptsLeft", code.attemptsLeft},
                {"maxAttempts", code.maxAttempts},
                {"initialised", code.initialised}};
}

}  // namespace

bool ParseSimProfile(std::string_view text, const std::string& sourceName, SimProfile& profile, std::string& error) {
    const Json root = Json::parse(text.begin(), text.end(), nullptr, false);
    if (root.is_discarded()) {
        error = sourceName + ": not a valid JSON document";
        return false;
    }
    ProfileReader reader(sourceName);
    SimProfile read;
    if (!reader.Read(root, read)) {
        error = reader.Error();
        return false;
    }
    profile = std::move(read);
    return true;
}

std::string SerializeSimProfile(const SimProfile& profile) {
    Json root;
    root["format"] = kFormatName;
    root["version"] = kFormatVersion;
    root["kind"] = profile.kind == SimProfile::Kind::MemoryCard ? "memory-card" : "sim";
    root["description"] = profile.description;
    if (profile.kind == SimProfile::Kind::MemoryCard) {
        root["memory"] = ToHex(profile.memory);
        return root.dump(2) + "\n";
    }
    if (profile.platform != CardPlatform::GsmSim) root["platform"] = CardPlatformName(profile.platform);
    root["atr"] = ToHex(profile.atr);
    root["chv1Enabled"] = profile.chv1Enabled;
    root["codes"] = Json{{"chv1", CodeToJson(profile.chv1)},
                         {"unblockChv1", CodeToJson(profile.unblockChv1)},
                         {"chv2", CodeToJson(profile.chv2)},
                         {"unblockChv2", CodeToJson(profile.unblockChv2)}};
    Json directories = Json::array();
    for (const SimDirectory& directory : profile.directories) {
        Json entry{{"id", FileIdText(directory.id)}, {"name", directory.name}};
        if (directory.parent != kMasterFile) entry["parent"] = FileIdText(directory.parent);
        if (!directory.aid.empty()) entry["aid"] = ToHex(directory.aid);
        directories.push_back(entry);
    }
    root["directories"] = directories;
    Json files = Json::array();
    for (const SimElementaryFile& file : profile.files) {
        Json entry;
        entry["path"] = DirectoryPathText(file.directory) + "/" + FileIdText(file.id);
        entry["name"] = file.name;
        if (file.sameAs) {
            entry["sameAs"] = DirectoryPathText(file.sameAs->directory) + "/" + FileIdText(file.sameAs->id);
            files.push_back(entry);
            continue;
        }
        entry["structure"] = FileStructureName(file.structure);
        entry["access"] = Json{{"read", AccessLevelName(file.access.read)},
                               {"update", AccessLevelName(file.access.update)},
                               {"increase", AccessLevelName(file.access.increase)},
                               {"invalidate", AccessLevelName(file.access.invalidate)},
                               {"rehabilitate", AccessLevelName(file.access.rehabilitate)}};
        entry["invalidated"] = file.invalidated;
        entry["usableWhenInvalidated"] = file.usableWhenInvalidated;
        if (file.structure == FileStructure::Transparent) {
            entry["content"] = ToHex(file.content);
        } else {
            entry["recordLength"] = file.recordLength;
            Json records = Json::array();
            for (const auto& record : file.records) records.push_back(ToHex(record));
            entry["records"] = records;
        }
        files.push_back(entry);
    }
    root["files"] = files;
    return root.dump(2) + "\n";
}

bool LoadSimProfile(const std::string& path, SimProfile& profile, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be opened";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        error = path + ": cannot be read";
        return false;
    }
    return ParseSimProfile(text.str(), path, profile, error);
}

bool SaveSimProfile(const std::string& path, const SimProfile& profile, std::string& error) {
    files::SafeFileWriter file;
    if (!file.Open(path, files::SafeFileWriter::Mode::Replace) || !file.Write(SerializeSimProfile(profile)) ||
        !file.Commit()) {
        error = path + ": cannot be written: " + file.Reason();
        return false;
    }
    return true;
}

}  // namespace quillet::sim
