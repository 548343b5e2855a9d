// Stands in for the Ondrel module in the skin tests: no code, only
// Ondrel's resources next to it. Loaded as the running program, so that
// the skin loads its pictures from it as from Ondrel.
