/* A plug-in installed into the plug-in folder, found by name from a program in bin/. */
int probe_answer(void)
{
  return 99;
}
