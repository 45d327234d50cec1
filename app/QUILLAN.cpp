// Program entry of QUILLAN.
int main() { return 0; }
