/* The smallest code a program or library needs; the fixtures are about resources. */
int entry(void) { return 0; }
