/* A module without attach or detach routines. */
int plain_answer(void)
{
  return 7;
}
