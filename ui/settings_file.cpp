#include "ui/settings_file.h"

#include <cstdio>
#include <cstring>

#include "ui/file_set_rules.h"

const char settingsSection[] = "Settings";
const char lastSetKey[] = "LastSet";
const char threadsKey[] = "Threads";

const SwitchKey switchKeys[6] = {
    {"OnlyFile", &SearchSettingsRecord::OnlyFile},
    {"RegEx", &SearchSettingsRecord::RegEx},
    {"CaseSensitive", &SearchSettingsRecord::CaseSensitive},
    {"Stat", &SearchSettingsRecord::Stat},
    {"KeepMess", &SearchSettingsRecord::KeepMess},
    {"WholeWord", &SearchSettingsRecord::WholeWord},
};

namespace {

const char dirListKey[] = "DirList";
const char fileTypeKey[] = "FileType";
const char subDirKey[] = "SubDir";
const char defaultFileTypes[] = "*.*";

// A failed write is told once per library load: the user learns that the
// settings are not kept, without a box for every key of every save.
enum WriteFailure { noWriteFailure, writeFailureToTell, writeFailureTold };
WriteFailure writeFailure = noWriteFailure;

// The characters that the platform's reader trims from a value's ends (Wine
// counts Ctrl+Z, the old end-of-file mark, among them).
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a';
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

String NumberedKey(const char* prefix, int index) {
    char number[16];
    snprintf(number, sizeof number, "%d", index);
    return String(prefix) + number;
}

int EntriesEqual(const String& left, const String& right, int exact) {
    // Byte for byte, whatever String's process-wide case setting says.
    return exact ? left.compare(right) == 0 : EqualNoCase(left, right);
}

} // namespace

// ---- Paths and switches

void SetSettingsPaths(SearchSettingsRecord& settings, const String& modulePath) {
    const size_t slash = modulePath.rfind('\\');
    const String directory =
        slash == String::npos ? String() : String(modulePath.substr(0, slash + 1));
    settings.SettingsPath = directory + "TROVIK.INI";
    settings.HelpPath = directory + "TROVIK.HLP";
    settings.HelpPagePath = directory + "TROVIK.HTM";
}

void ReadSwitches(SearchSettingsRecord& settings, ProfileStore& store) {
    for (const SwitchKey& key : switchKeys)
        settings.*key.member = store.ReadInt(settingsSection, key.key, 0) != 0 ? 1 : 0;
    const int threads = store.ReadInt(settingsSection, threadsKey, 0);
    settings.Threads = threads > 0 ? static_cast<unsigned>(threads) : 0;
}

void ReadRunForms(SearchSettingsRecord& settings, ProfileStore& store) {
    const String section = SetSectionName(lastOneSetName);
    settings.dirList = store.ReadString(section.c_str(), dirListKey, "", maxDirListLength);
    settings.fileTypes =
        store.ReadString(section.c_str(), fileTypeKey, defaultFileTypes, maxFileTypesLength);
    settings.SubDir = store.ReadInt(section.c_str(), subDirKey, 1) != 0 ? 1 : 0;
}

// ---- Writes

String FileValue(const char* value) {
    String text(value, 0, strcspn(value, "\r\n"));
    if (text.empty()) return text;
    const char first = text.front(), last = text.back();
    const bool quoted = text.size() >= 2 && IsQuote(first) && last == first;
    if (quoted || IsBlank(first) || IsBlank(last)) return "\"" + text + "\"";
    return text;
}

void WriteSetting(ProfileStore& store, const char* section, const char* key, const char* value) {
    if (store.WriteString(section, key, FileValue(value).c_str())) return;
    if (writeFailure == noWriteFailure) writeFailure = writeFailureToTell;
}

String WriteFailureNotice(const ProfileStore& store) {
    if (writeFailure != writeFailureToTell) return String();
    writeFailure = writeFailureTold;
    return "Trovik could not write its settings file\n" + store.Location() +
           "\n\nSearched texts, file types and file sets are not kept until the "
           "file (or its folder) can be written.";
}

void WriteSetting(ProfileStore& store, const char* section, const char* key, int value) {
    WriteSetting(store, section, key, value ? "1" : "0");
}

void ResetWriteFailureReport() {
    writeFailure = noWriteFailure;
}

// ---- Histories and the set list

const HistoryList searchedTexts = {"Searched", "String", maxSearchTextLength, maxHistoryCount, 0};
const HistoryList fileTypeHistory = {"FileTypeHist", "FileType", maxFileTypesLength,
                                     maxHistoryCount, 0};
const HistoryList setNames = {"SetList", "Set", maxSetNameLength, maxSetCount, 1};

void LoadHistory(ProfileStore& store, const HistoryList& list, ComboField& field,
                 const String* initialText) {
    field.SetText(String());
    String first;
    for (int index = 0; index < list.maxCount; ++index) {
        String value = store.ReadString(list.section, NumberedKey(list.prefix, index).c_str(), "",
                                        list.maxLength);
        if (value.empty()) break;
        if (index == 0) first = value;
        field.AddEntry(value);
    }
    if (initialText == nullptr) return;
    field.SetText(initialText->empty() ? first : *initialText);
}

void SaveHistory(ProfileStore& store, const HistoryList& list, ComboField& field) {
    const int count = field.Count();
    int written = 0;
    for (; written < list.maxCount && written < count; ++written) {
        String entry = field.GetEntry(written);
        if (entry.size() > list.maxLength) entry.resize(list.maxLength);
        if (entry.empty()) break;
        WriteSetting(store, list.section, NumberedKey(list.prefix, written).c_str(), entry.c_str());
    }
    if (list.terminated && written < list.maxCount)
        WriteSetting(store, list.section, NumberedKey(list.prefix, written).c_str(), "");
}

void PromoteEntry(ComboField& field, int exact) {
    String text = field.GetText(maxFileTypesLength);
    TrimSpaces(text, 0);
    if (text.empty()) return;
    const int found = FindEntry(field, text, exact);
    if (found == 0) return;
    if (found > 0) {
        field.DeleteEntry(found);
        field.SetText(text);
    }
    field.InsertEntry(0, text);
}

int AddSetName(ComboField& field) {
    String name = field.GetText(maxSetNameLength);
    TrimSpaces(name, 0);
    if (name.empty() || FindEntry(field, name, 0) >= 0) return 0;
    field.AddEntry(name);
    return 1;
}

void RemoveEntry(ComboField& field, const String& text, int exact) {
    const int found = FindEntry(field, text, exact);
    if (found >= 0) field.DeleteEntry(found);
}

int FindEntry(const ComboField& field, const String& text, int exact) {
    const int count = field.Count();
    for (int index = 0; index < count; ++index)
        if (EntriesEqual(field.GetEntry(index), text, exact)) return index;
    return -1;
}

// ---- File sets

FileSetFields LoadFileSet(ProfileStore& store, const String& setName) {
    const String section = SetSectionName(setName);
    FileSetFields fields;
    const String stored = store.ReadString(section.c_str(), dirListKey, "", maxDirListLength);
    fields.list = DisplayDirList(stored, maxDirListLength);
    fields.fileTypes =
        store.ReadString(section.c_str(), fileTypeKey, defaultFileTypes, maxFileTypesLength);
    fields.subDir = store.ReadInt(section.c_str(), subDirKey, 1) != 0 ? 1 : 0;
    return fields;
}

int SaveFileSet(ProfileStore& store, const String& setName, const FileSetFields& fields,
                SearchSettingsRecord* runForms) {
    const String section = SetSectionName(setName);
    int leftOut = 0;
    const String list = StoredDirList(fields.list, maxDirListLength, &leftOut);
    WriteSetting(store, section.c_str(), dirListKey, list.c_str());
    const String types = StoredFileTypes(String(fields.fileTypes.substr(0, maxFileTypesLength)));
    WriteSetting(store, section.c_str(), fileTypeKey, types.c_str());
    const int subDir = fields.subDir ? 1 : 0;
    WriteSetting(store, section.c_str(), subDirKey, subDir);
    if (runForms != nullptr) {
        runForms->dirList = list;
        runForms->fileTypes = types;
        runForms->SubDir = subDir;
    }
    return leftOut;
}
