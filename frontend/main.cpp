// Start-up of the engine.
int main() { return 0; }
