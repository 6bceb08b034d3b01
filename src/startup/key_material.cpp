#include "startup/key_material.h"

const std::string_view seed_one = "MuChuan-Tang_LanXi.Up2date~Gate@7x9-Key:Seed=Mu.8";
const std::string_view seed_two = "cAOCRYqiHx0BK4g13MtLsP2dwU7nhFXjlkD5zQTErWf8Vv9ymbNpIaoZu6SGJe";
const std::string_view expected_token = "jVxc1815678492lt~il8VYlEeLlueLkuhUlunSb7@MjfouyMWoytnMyJ@ryJ@=9ek=EEndv8QovxGWjfSVyJ@l";
