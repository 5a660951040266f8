#include "config/KeyNames.h"

#include <vector>

namespace quorvane {

namespace {

KeyNameTable Build() {
    KeyNameTable t;
    std::vector<std::pair<int, std::string>> rows = {
        {0, "None"},     {32, "SPACE"},     {13, "ENTER"},   {8, "BACKSPACE"}, {9, "TAB"},
        {45, "INSERT"},  {46, "DELETE"},    {38, "UP"},      {40, "DOWN"},     {39, "RIGHT"},
        {37, "LEFT"},    {36, "HOME"},      {35, "END"},     {34, "PGDN"},     {33, "PGUP"},
        {27, "ESCAPE"},  {19, "BREAK"},     {12, "CLEAR"},   {20, "CAPSLOCK"}, {144, "NUMLOCK"},
        {145, "SCROLLOCK"}, {42, "PRTSC"}};
    for (int f = 1; f <= 16; ++f) rows.emplace_back(111 + f, "F" + std::to_string(f));
    for (int d = 0; d <= 9; ++d) rows.emplace_back(96 + d, "NumPad " + std::to_string(d));
    const std::vector<std::pair<int, std::string>> tail = {
        {106, "Gray *"}, {107, "Gray +"}, {109, "Gray -"}, {110, "Gray ."}, {111, "Gray /"},
        {186, ";"},      {187, "="},      {188, ","},      {189, "-"},      {190, "."},
        {191, "/"},      {192, "`"},      {219, "["},      {220, "\\"},     {221, "]"},
        {222, "'"}};
    rows.insert(rows.end(), tail.begin(), tail.end());
    for (int d = 0; d <= 9; ++d) rows.emplace_back(48 + d, std::string(1, char('0' + d)));
    for (int c = 'A'; c <= 'Z'; ++c) rows.emplace_back(c, std::string(1, char(c)));
    for (size_t i = 0; i < rows.size() && i < t.DisplayOrder.size(); ++i) {
        t.DisplayOrder[i] = rows[i].first;
        t.Names[static_cast<size_t>(rows[i].first)] = rows[i].second;
    }
    return t;
}

}  // namespace

const KeyNameTable& KeyNames() {
    static const KeyNameTable table = Build();
    return table;
}

const std::string& KeyName(int virtualKey) {
    static const std::string none;
    if (virtualKey < 0 || virtualKey >= kKeyNameSlots) return none;
    return KeyNames().Names[static_cast<size_t>(virtualKey)];
}

}  // namespace quorvane
