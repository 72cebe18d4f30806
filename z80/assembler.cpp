#include "z80/assembler.h"
namespace torvex::z80 {
std::string Diagnostic::text() const { return file + ":" + std::to_string(line) + ": " + message; }
static std::string joinDiagnostics(const std::vector<Diagnostic>& ds) {
    std::string s;
    for (const auto& d : ds) { if (!s.empty()) s += '\n'; s += d.text(); }
    return s;
}
AssemblyError::AssemblyError(std::vector<Diagnostic> ds)
    : std::runtime_error(joinDiagnostics(ds)), diagnostics(std::move(ds)) {}
std::optional<uint16_t> Assembly::symbol(const std::string&) const { return std::nullopt; }
Assembly assemble(std::string_view, const std::string& fileName) {
    throw AssemblyError({{fileName, 0, "assembler not yet implemented"}});
}
Assembly assembleFile(const std::filesystem::path& file) {
    throw AssemblyError({{file.string(), 0, "assembler not yet implemented"}});
}
} // namespace torvex::z80
