// Owner of the headers every Windows test compiles first (GoogleTest and
// Windows'), parsed once for all of them instead of once per test file.
