// Filled in by the configuration engine work under way.
