namespace kolvar::thermo {
// Version of the thermodynamic library; matches the package version.
const char* library_version() { return "0.1.0"; }
}  // namespace kolvar::thermo
