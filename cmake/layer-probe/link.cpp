// Linked with every object of one logic library (the "layers" test): a symbol
// that only a subsystem the table does not let it use defines leaves the link
// unresolved, as a use the include check cannot see would.
int main() { return 0; }
