// The main program's windows are added here.
